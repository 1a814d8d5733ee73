#include "engine/live/RecordingStore.h"

#include <algorithm>
#include <cstdlib>
#include <new>

#include "engine/audiofile/WavWriter.h"
#include "engine/core/Notifier.h"
#include "engine/live/PracticeControls.h"

namespace tonavise {

namespace {

constexpr int kRecTimeSecondsTable[kRecTimeCount] = {
    30, 60, 120, 180, 240, 300, 360, 420, 480, 540, 600};

std::string_view OutOfMemoryText(UiLanguage language) {
    switch (language) {
        case UiLanguage::Chinese:
            return "没有足够的录音用内存,请你把录音时间缩短。";
        case UiLanguage::Japanese:
            return "録音用のメモリ容量が足りないので、録音時間を短くしてください。";
        default:
            return "Not enough memory space for recording.\nPlease set the recording time shorter.";
    }
}

std::string_view NoDataText(UiLanguage language) {
    switch (language) {
        case UiLanguage::Chinese:
            return "没有录音数据。";
        case UiLanguage::Japanese:
            return "録音データはありません。";
        default:
            return "No data recorded.";
    }
}

std::string WriteFailedText(UiLanguage language, const std::string& path) {
    switch (language) {
        case UiLanguage::Chinese:
            return "录音无法保存到“" + path + "”。";
        case UiLanguage::Japanese:
            return "録音を「" + path + "」に保存できませんでした。";
        default:
            return "The recording could not be saved to \"" + path + "\".";
    }
}

}  // namespace

int RecTimeSeconds(int index) {
    return kRecTimeSecondsTable[std::clamp(index, 0, kRecTimeCount - 1)];
}

std::string RecTimeLabel(int index, UiLanguage language) {
    const int i = std::clamp(index, 0, kRecTimeCount - 1);
    const int seconds = RecTimeSeconds(i);
    const std::string number = std::to_string(i == 0 ? seconds : seconds / 60);
    if (language != UiLanguage::English) {
        return number + (i == 0 ? " 秒" : " 分");
    }
    return number + (i == 0 ? " Seconds" : i == 1 ? " Minute" : " Minutes");
}

int RecTimeBlocks(int index) {
    return (RecTimeSeconds(index) + 1) * kSampleRate / kBlockFrames;
}

RecordingStore::RecordingStore(const PracticeControls& controls) : controls_(controls) {}

RecordingStore::~RecordingStore() = default;

bool RecordingStore::Allocate(int blocks) {
    std::lock_guard guard(lock_);
    blocks_.reset();
    capacity_ = std::max(blocks, 1);
    count_ = head_ = writeIndex_ = playIndex_ = 0;
    blocks_.reset(new (std::nothrow) Block[static_cast<std::size_t>(capacity_)]);
    return HasBlocks();
}

bool RecordingStore::Clear() {
    takeBlocks_.store(0, std::memory_order_relaxed);
    newestPeak_.store(0, std::memory_order_relaxed);
    takePeak_.store(0, std::memory_order_relaxed);
    std::lock_guard guard(lock_);
    if (!HasBlocks() || frozen_) {
        return false;
    }
    count_ = head_ = writeIndex_ = playIndex_ = 0;
    return true;
}

bool RecordingStore::Append(std::span<const int16_t> block) {
    std::lock_guard guard(lock_);
    if (!HasBlocks() || frozen_ || count_ >= capacity_ || block.size() < kBlockFrames) {
        return false;
    }
    std::copy_n(block.data(), kBlockFrames, blocks_[writeIndex_].data());
    ++count_;
    writeIndex_ = (writeIndex_ + 1) % capacity_;
    return true;
}

bool RecordingStore::IsFull() {
    std::lock_guard guard(lock_);
    return !HasBlocks() || count_ >= capacity_;
}

int RecordingStore::Count() {
    std::lock_guard guard(lock_);
    return count_;
}

int RecordingStore::Capacity() {
    std::lock_guard guard(lock_);
    return capacity_;
}

bool RecordingStore::DropOldest() {
    std::lock_guard guard(lock_);
    if (!HasBlocks() || frozen_ || count_ == 0) {
        return false;
    }
    --count_;
    head_ = (head_ + 1) % capacity_;
    playIndex_ = std::min(playIndex_, count_);
    return true;
}

bool RecordingStore::RewindPlayback() {
    std::lock_guard guard(lock_);
    if (!HasBlocks()) {
        return false;
    }
    playIndex_ = 0;
    return count_ > 0;
}

bool RecordingStore::ReadNext(std::span<int16_t> dest) {
    std::lock_guard guard(lock_);
    if (!HasBlocks() || playIndex_ >= count_ || dest.size() < kBlockFrames) {
        return false;
    }
    const Block& b = blocks_[(playIndex_ + head_) % capacity_];
    std::copy(b.begin(), b.end(), dest.data());
    ++playIndex_;
    return true;
}

bool RecordingStore::Linearize() {
    std::lock_guard guard(lock_);
    if (!HasBlocks() || count_ == 0 || frozen_) {
        return false;
    }
    // In place, block by block (a swap moves one block through a block-sized temporary).
    std::rotate(blocks_.get(), blocks_.get() + head_, blocks_.get() + capacity_);
    head_ = 0;
    writeIndex_ = count_ % capacity_;
    return true;
}

void RecordingStore::RecordBlock(std::span<int16_t> block, int channels) {
    if (recording.load(std::memory_order_relaxed) == 0) {
        return;
    }
    if (IsFull()) {
        if (controls_.recRepeating.load(std::memory_order_relaxed) == 1) {
            DropOldest();
        } else {
            recording.store(0, std::memory_order_relaxed);
        }
    }
    if (channels == 2 && block.size() >= 2 * kBlockFrames) {
        for (std::size_t i = 0; i < kBlockFrames; ++i) {
            block[i] =
                static_cast<int16_t>((int32_t{block[2 * i]} + int32_t{block[2 * i + 1]}) / 2);
        }
    }
    if (Append(block)) {
        int peak = 0;
        for (std::size_t i = 0; i < kBlockFrames; ++i) {
            peak = std::max(peak, std::abs(int{block[i]}));
        }
        newestPeak_.store(peak, std::memory_order_relaxed);
        takePeak_.store(std::max(peak, takePeak_.load(std::memory_order_relaxed)),
                        std::memory_order_relaxed);
        takeBlocks_.fetch_add(1, std::memory_order_relaxed);
    }
}

RecordingStore::TakeLevels RecordingStore::Levels() const {
    return {takeBlocks_.load(std::memory_order_relaxed),
            newestPeak_.load(std::memory_order_relaxed),
            takePeak_.load(std::memory_order_relaxed)};
}

bool RecordingStore::AllocateForRecTime(Notifier& notifier, UiLanguage language) {
    if (Allocate(RecTimeBlocks(controls_.recTimeIndex.load(std::memory_order_relaxed)))) {
        return true;
    }
    notifier.ShowMessage("Alert", OutOfMemoryText(language), MessageIcon::Exclamation);
    return false;
}

bool RecordingStore::SaveAs(SavePathChooser& chooser, Notifier& notifier, UiLanguage language) {
    if (!Linearize()) {
        notifier.ShowMessage(kAppTitle, NoDataText(language), MessageIcon::Exclamation);
        return false;
    }
    const std::optional<std::string> path = chooser.ChooseSavePath();
    if (!path) {
        return false;
    }
    int count = 0;
    {
        // A block that still arrives after "Save" (the switch goes off by a posted message)
        // must not land in the ring while it is written: freeze it, in recording order.
        std::lock_guard guard(lock_);
        if (head_ != 0 && count_ > 0) {
            std::rotate(blocks_.get(), blocks_.get() + head_, blocks_.get() + capacity_);
            head_ = 0;
            writeIndex_ = count_ % capacity_;
        }
        count = count_;
        frozen_ = true;
    }
    const auto* bytes = reinterpret_cast<const uint8_t*>(blocks_.get());
    const bool written =
        WriteWavFile(*path, SaveFormat(), {bytes, static_cast<std::size_t>(count) * sizeof(Block)});
    {
        std::lock_guard guard(lock_);
        frozen_ = false;
    }
    if (!written) {
        notifier.ShowMessage(kAppTitle, WriteFailedText(language, *path), MessageIcon::Exclamation);
    }
    return written;
}

}  // namespace tonavise
