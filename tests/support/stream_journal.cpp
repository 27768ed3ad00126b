#include "stream_journal.h"
#include <cstdio>

namespace fexo::test {

std::map<uint32_t, JournaledStream> JournaledStreams(const StandinControl* standin)
{
    std::map<uint32_t, JournaledStream> streams;
    for (int i = 0; i < standin->Count(); ++i) {
        const StandinEntry* entry = standin->Entry(i);
        const std::string call = entry->call;
        unsigned stream = 0;
        if (std::sscanf(entry->arguments, "stream=%u", &stream) != 1) continue;
        if (call == "NPP_NewStream") {
            streams[stream].announcement = entry->arguments;
        } else if (call == "NPP_Write") {
            WrittenBlock block{};
            unsigned crc = 0;
            std::sscanf(entry->arguments, "stream=%*u offset=%d length=%d crc=%x", &block.offset,
                        &block.length, &crc);
            block.crc = crc;
            streams[stream].writes.push_back(block);
        } else if (call == "NPP_DestroyStream") {
            std::sscanf(entry->arguments, "stream=%*u reason=%d", &streams[stream].lastReason);
            ++streams[stream].destroyCount;
        }
    }
    return streams;
}

testing::AssertionResult CarriesBody(const StandinControl* standin, const JournaledStream& stream,
                                     const std::string& body, bool complete)
{
    size_t position = 0;
    for (size_t i = 0; i < stream.writes.size(); ++i) {
        const WrittenBlock& block = stream.writes[i];
        if (block.offset != static_cast<int32_t>(position))
            return testing::AssertionFailure()
                   << "block " << i << " at offset " << block.offset << ", expected " << position;
        if (block.length < 0 || position + static_cast<size_t>(block.length) > body.size())
            return testing::AssertionFailure() << "block " << i << " runs past the body";
        if (standin->Checksum(body.data() + position, static_cast<size_t>(block.length)) !=
            block.crc)
            return testing::AssertionFailure() << "block " << i << " carries other bytes";
        position += static_cast<size_t>(block.length);
    }
    if (complete && position != body.size())
        return testing::AssertionFailure()
               << position << " bytes delivered of " << body.size();
    return testing::AssertionSuccess() << position << " bytes in " << stream.writes.size()
                                       << " blocks";
}

std::vector<std::string> CallsNamed(const StandinControl* standin, const std::string& call)
{
    std::vector<std::string> lines;
    for (int i = 0; i < standin->Count(); ++i) {
        const StandinEntry* entry = standin->Entry(i);
        if (call == entry->call) lines.push_back(call + "(" + entry->arguments + ")");
    }
    return lines;
}

}  // namespace fexo::test
