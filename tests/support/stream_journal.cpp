#include "stream_journal.h"
#include <cstdio>

namespace fexo::test {

std::map<uint32_t, JournaledStream> JournaledStreams(const StandinControl* standin)
{
    std::map<uint32_t, JournaledStream> streams;
    for (int i = 0; i < standin->Count(); ++i) {
        const std::string call = standin->Entry(i)->call;
        const char* arguments = standin->Entry(i)->arguments;
        unsigned number = 0, crc = 0;
        if (std::sscanf(arguments, "stream=%u", &number) != 1) continue;
        JournaledStream& stream = streams[number];
        WrittenBlock block{};
        if (call == "NPP_NewStream") stream.announcement = arguments;
        if (call == "NPP_Write" &&
            std::sscanf(arguments, "stream=%*u offset=%d length=%d crc=%x", &block.offset, &block.length, &crc) == 3)
            stream.writes.push_back({block.offset, block.length, crc});
        if (call == "NPP_DestroyStream" && std::sscanf(arguments, "stream=%*u reason=%d", &stream.lastReason) == 1)
            ++stream.destroyCount;
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
            return testing::AssertionFailure() << "block " << i << " at offset " << block.offset << ", expected "
                                               << position;
        if (block.length < 0 || position + static_cast<size_t>(block.length) > body.size() ||
            standin->Checksum(body.data() + position, static_cast<size_t>(block.length)) != block.crc)
            return testing::AssertionFailure() << "block " << i << " carries other bytes";
        position += static_cast<size_t>(block.length);
    }
    if (complete && position != body.size())
        return testing::AssertionFailure() << position << " bytes delivered of " << body.size();
    return testing::AssertionSuccess() << position << " bytes in " << stream.writes.size() << " blocks";
}

std::vector<std::string> CallsNamed(const StandinControl* standin, const std::string& call)
{
    std::vector<std::string> lines;
    for (int i = 0; i < standin->Count(); ++i)
        if (call == standin->Entry(i)->call) lines.push_back(call + "(" + standin->Entry(i)->arguments + ")");
    return lines;
}

}  // namespace fexo::test
