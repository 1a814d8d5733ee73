// How the engine tells the user something: the user interface shows a message box on its own
// thread; tests and the command-line tool record or print the texts.
// Implementations may be called from any engine thread.
#pragma once

#include <string_view>

namespace tonavise {

inline constexpr std::string_view kAppTitle = "Tonavise";

// None: a plain box with only its text and an OK button (the device error box).
enum class MessageIcon { Information, Exclamation, Error, None };

class Notifier {
  public:
    virtual ~Notifier() = default;
    virtual void ShowMessage(std::string_view caption, std::string_view text, MessageIcon icon) = 0;
};

// The numbered texts of the program's string table, in English; the user interface translates.
enum StringId : int {
    IDS_MP3_CANNOT_OPEN = 102,
    IDS_MP3_CANNOT_READ = 103,
    IDS_MP3_CANNOT_CONVERT = 104,
    IDS_FILE_CANNOT_OPEN = 105,
    IDS_FILE_NOT_WAV = 106,
    IDS_FILE_NOT_PCM = 107,
};

std::string_view StringTableText(int id);

// Shown when a block for a file or a recording cannot be allocated.
inline constexpr std::string_view kMemoryNotEnough = "The memory is not enough!";
// Shown when a file opens but holds no sound to play (a WAV file whose data chunk is empty).
inline constexpr std::string_view kFileHoldsNoSound = "This file holds no sound.";

}  // namespace tonavise
