// The streams the stand-in plugin was given, read back from its journal:
// what each was announced as, the blocks written into it and how it ended.
#pragma once
#include <gtest/gtest.h>
#include <cstdint>
#include <map>
#include <string>
#include <vector>
#include "tests/standin/standin_control.h"

namespace fexo::test {

struct WrittenBlock {
    int32_t offset, length;
    uint32_t crc;
};

struct JournaledStream {
    std::string announcement;  // the arguments of its NPP_NewStream
    std::vector<WrittenBlock> writes;
    int destroyCount = 0;
    int lastReason = -1;
};

// By the stand-in's stream number.
std::map<uint32_t, JournaledStream> JournaledStreams(const StandinControl* standin);

// The stream's blocks follow each other from offset 0 without gap and carry
// `body`'s bytes (by checksum); with `complete`, all of them.
testing::AssertionResult CarriesBody(const StandinControl* standin, const JournaledStream& stream,
                                     const std::string& body, bool complete = true);

// The journal lines of one call name, in order.
std::vector<std::string> CallsNamed(const StandinControl* standin, const std::string& call);

}  // namespace fexo::test
