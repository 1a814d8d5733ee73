// Any bytes as a WAV file: the reader must refuse or load without reading or writing outside
// its buffers, and a loaded clip must feed the scope safely at any position and give the
// player what it plays.
#include <cstddef>
#include <cstdint>

#include "engine/audiofile/ByteSource.h"
#include "engine/audiofile/FileLoading.h"
#include "engine/audiofile/ScopeFeed.h"
#include "engine/audiofile/WavReader.h"
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
    LoadedClip clip;
    if (!WavReader().Read(source, clip.format, clip.data, clip.length, notifier)) {
        return 0;
    }
    clip.kind = LoadedKind::Wav;
    FeedBlock block{};
    for (int64_t position :
         {int64_t{0}, int64_t{clip.length / 2}, int64_t{clip.length - 1}, int64_t{clip.length}}) {
        BuildFeedBlock(clip, position, block);
    }
    BuildFeedBlockAtTenths(clip, 1, block);
    PlaybackSound sound;
    PreparePlayback(clip, sound);
    return 0;
}
