// Any bytes as an MP3 file: tag skipping and the frame header must refuse or accept without
// reading outside the block; accepted streams go through the decoder from memory.
#include <cstddef>
#include <cstdint>

#include "engine/audiofile/ByteSource.h"
#include "engine/audiofile/Mp3Reader.h"
#include "engine/core/Notifier.h"

namespace {
class SilentNotifier final : public tonavise::Notifier {
  public:
    void ShowMessage(std::string_view, std::string_view, tonavise::MessageIcon) override {}
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tonavise;
    MemoryByteSource source({data, size});
    SilentNotifier notifier;
    Mp3Reader reader;
    Mpeg3WaveFormat record;
    std::unique_ptr<uint8_t[]> block;
    std::size_t cursor = 0;
    std::size_t count = 0;
    if (!reader.Read(source, record, block, cursor, count, notifier)) {
        return 0;
    }
    WaveFormat format;
    std::unique_ptr<uint8_t[]> pcm;
    int32_t length = 0;
    reader.ConvertToPcm(record, block.get() + cursor, count, format, pcm, length, notifier);
    return 0;
}
