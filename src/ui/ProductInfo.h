// The product's own texts and addresses, in one place.
#pragma once

namespace tonavise::ui {

inline constexpr char kProductName[] = "Tonavise";
inline constexpr char kProductVersion[] = "1.4.2.2";
// The product's web page, opened at the first exit of each day and from the About box.
inline constexpr char kProductWebPage[] = "https://tonavise.example.org/";
inline constexpr char kMakerNotice[] = "Copyright (C) Osmarek";

// The name of the single-instance lock: a second start finds the first through it.
inline constexpr char kInstanceGuid[] = "B7020274-C052-4349-9767-A39E944F7794";

}  // namespace tonavise::ui
