// "file://" addresses, which are read from disk instead of downloaded: which
// addresses count as local, and which paths are opened for them.
#pragma once
#include <string>
#include <string_view>

namespace fexo::download {

// The address begins with "file://" in any ASCII letter case.
bool IsFileUrl(std::string_view url);

struct LocalFilePaths {
    // The text after "file://" with every further leading "/" skipped, cut
    // at the first "?": file:///C:/a.fexo?page=2 gives C:/a.fexo.
    std::string first;
    // The first path with the two characters before it in the address put
    // back in front: file://server/share/a.fexo gives //server/share/a.fexo,
    // a UNC path.
    std::string second;
};

// For an address that IsFileUrl accepts.
LocalFilePaths LocalFilePathsOf(std::string_view fileUrl);

}  // namespace fexo::download
