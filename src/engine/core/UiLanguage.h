// The language of the texts the engine itself carries (a few labels and messages have Chinese
// and Japanese variants). The caller decides it from the system locale; the engine never looks.
#pragma once

namespace tonavise {

enum class UiLanguage { English, Chinese, Japanese };

}  // namespace tonavise
