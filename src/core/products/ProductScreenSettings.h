#pragma once

#include <QString>

namespace tovin {

// The stored captions and box visibility of the Products screen, by box index n: section
// "Settings", key LabelName(n) for the caption of label n and HideText(n) for whether text box n
// shows ("True" shows it). n runs from FirstBox to LastBox in plain decimal.
namespace ProductScreenSettings {

inline constexpr int FirstBox = 1;
inline constexpr int LastBox = 30;

QString section();
QString labelNameKey(int n);
QString hideTextKey(int n);

} // namespace ProductScreenSettings

} // namespace tovin
