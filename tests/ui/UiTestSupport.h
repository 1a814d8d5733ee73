// Helpers of the UI tests: the engine's objects and a settings file of the test's own, a
// notifier and a web page opener that record, and waiting for a condition.
#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "engine/core/Notifier.h"
#include "engine/device/DeviceListReader.h"
#include "engine/device/VirtualSound.h"
#include "engine/dsp/Fft.h"
#include "engine/dsp/KeyTable.h"
#include "engine/live/CaptureStore.h"
#include "engine/live/LiveEngine.h"
#include "engine/live/RecordingStore.h"
#include "engine/live/WorkerCommands.h"
#include "engine/live/WorkerThread.h"
#include "ui/AppContext.h"
#include "ui/SettingsStore.h"
#include "ui/WebPageOpener.h"

namespace tonavise::ui::test {

// Worker threads report through it while the test reads it.
class RecordingNotifier final : public Notifier {
  public:
    void ShowMessage(std::string_view caption, std::string_view text, MessageIcon) override {
        std::lock_guard lock(mutex_);
        captions_.emplace_back(caption);
        texts_.emplace_back(text);
    }
    std::size_t Count() const {
        std::lock_guard lock(mutex_);
        return texts_.size();
    }
    std::string Caption(std::size_t i) const {
        std::lock_guard lock(mutex_);
        return captions_.at(i);
    }
    std::string Text(std::size_t i) const {
        std::lock_guard lock(mutex_);
        return texts_.at(i);
    }

  private:
    mutable std::mutex mutex_;
    std::vector<std::string> captions_;
    std::vector<std::string> texts_;
};

// Any command the windows and the tool send to a worker (the devices' reports left out).
using LoggedCommand = std::variant<capture::ReopenInput,
                                   tone::StartTone,
                                   tone::StartDrone,
                                   tone::StopDrone,
                                   tone::StopOutput,
                                   tone::ToggleMetronome,
                                   tone::StopMetronome,
                                   tone::RebuildMetronome,
                                   tone::StartCountIn,
                                   tone::CancelCountIn,
                                   player::Open,
                                   player::Play,
                                   player::Stop,
                                   player::Pause,
                                   player::Resume,
                                   player::FeedScope,
                                   player::ReportPosition,
                                   player::SetSpeed,
                                   player::SetTranspose,
                                   player::SetLoop,
                                   player::SetLoopGap,
                                   player::SetSpeedTrainer,
                                   recorder::Play,
                                   recorder::StopPlayback,
                                   recorder::RecordOn,
                                   recorder::RecordOff,
                                   generator::Start,
                                   generator::Stop>;

// The commands sent to worker threads, in the order they were queued. Watch() makes it the
// post observer of a thread; what it records is shared with the threads it watches, so a thread
// that outlives the log still has somewhere to report.
class PostLog {
  public:
    struct Post {
        const WorkerThread* thread;
        LoggedCommand command;
    };
    template <class Command>
    void Watch(CommandThread<Command>* thread) {
        if (thread != nullptr) {
            thread->setPostObserver(std::shared_ptr<PostObserver<Command>>(sink_));
        }
    }
    void Clear() {
        std::lock_guard lock(sink_->mutex);
        sink_->posts.clear();
    }
    // The commands sent so far.
    std::vector<LoggedCommand> Commands() const {
        std::lock_guard lock(sink_->mutex);
        std::vector<LoggedCommand> commands;
        for (const Post& p : sink_->posts) {
            commands.push_back(p.command);
        }
        return commands;
    }
    std::vector<Post> Posts() const {
        std::lock_guard lock(sink_->mutex);
        return sink_->posts;
    }

  private:
    struct Sink final : PostObserver<ToneCommand>,
                        PostObserver<PlayerCommand>,
                        PostObserver<RecorderCommand>,
                        PostObserver<SignalCommand>,
                        PostObserver<CaptureCommand> {
        void OnPosted(const CommandThread<ToneCommand>& t, const ToneCommand& c) override {
            Log(t, c);
        }
        void OnPosted(const CommandThread<PlayerCommand>& t, const PlayerCommand& c) override {
            Log(t, c);
        }
        void OnPosted(const CommandThread<RecorderCommand>& t, const RecorderCommand& c) override {
            Log(t, c);
        }
        void OnPosted(const CommandThread<SignalCommand>& t, const SignalCommand& c) override {
            Log(t, c);
        }
        void OnPosted(const CommandThread<CaptureCommand>& t, const CaptureCommand& c) override {
            Log(t, c);
        }
        template <class Command>
        void Log(const WorkerThread& thread, const Command& command) {
            std::visit(
                [&](const auto& c) {
                    if constexpr (!std::is_same_v<std::decay_t<decltype(c)>, DeviceEvent>) {
                        std::lock_guard lock(mutex);
                        posts.push_back({&thread, LoggedCommand{c}});
                    }
                },
                command);
        }
        std::mutex mutex;
        std::vector<Post> posts;
    };
    std::shared_ptr<Sink> sink_ = std::make_shared<Sink>();
};

class RecordingOpener final : public WebPageOpener {
  public:
    bool Open(const QUrl& url) override {
        opened.push_back(url);
        return opens;
    }
    std::vector<QUrl> opened;
    bool opens = true;  // false: as if no browser could be started
};

// Processes events until `done` holds or `ms` pass; returns done().
bool WaitFor(const std::function<bool()>& done, int ms = 5000);
// Handles every event already posted, and those they post, so that a check of "nothing
// happened" comes after everything the command set off on this thread.
void DrainEvents();

// A settings file in a folder of the test's own.
class TempSettings {
  public:
    TempSettings();
    QString path() const { return dir_.filePath(QStringLiteral("settings.ini")); }
    QString folder() const { return dir_.path(); }
    // Writes "key=value" lines of a section directly into the file.
    void Put(const char* section, const QString& key, const QString& value);

  private:
    QTemporaryDir dir_;
};

// The engine's process-wide objects, a settings store, virtual sound devices and the context
// the windows take. Windows made with it must go before it.
struct Engine {
    explicit Engine(const QString& settingsPath);
    ~Engine();

    VirtualSoundSystem sound;
    DeviceListReader deviceLists{sound};
    RecordingNotifier notifier;
    LiveEngine live{notifier};
    CaptureStore& captureStore = live.captureStore;
    PracticeControls& controls = live.controls;
    KeyTable& keyTable = live.keyTable;
    Fft& fft = live.fft;
    RecordingStore& recordingStore = live.recordingStore;
    SettingsStore settings;
    AppContext context;
};

}  // namespace tonavise::ui::test
