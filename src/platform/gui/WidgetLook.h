#pragma once
// Colours and fonts as the window framework named them.
#include <QColor>
#include <QFont>

class QWidget;

namespace look {
inline const QColor kRed{255, 0, 0};
inline const QColor kBlue{0, 0, 255};
inline const QColor kBlack{0, 0, 0};
inline const QColor kGreen{0, 128, 0};
inline const QColor kWhite{255, 255, 255};
inline const QColor kGrey{160, 160, 164};  // clMedGray
// Background of a greyed curve or balancer control: the classic value of the
// system's inactive-border colour, fixed so that the look does not depend on
// the desktop theme.
inline const QColor kInactiveBorder{212, 208, 200};

// The installed face that a face name of the window framework ("Courier",
// "MS Sans Serif", "Arial", "Comic Sans MS") stands for. The names are not
// left to fontconfig: its choice follows whichever fonts the desktop has (URW,
// Noto and Liberation all claim "Courier"), and the layout is measured in the
// faces the set-up installs. A name not listed gets the sans-serif face.
QString Face(const char* name);
// Font by face name (as above) and pixel height.
QFont Font(const char* family, bool bold, bool italic = false, int pixelSize = 11);
// Text colour of an enabled widget; disabled, it greys out as the platform does.
void SetTextColour(QWidget* w, const QColor& c);
// Font colour that holds whether the widget is enabled or not (the window's
// looks set grey themselves).
void SetFontColour(QWidget* w, const QColor& c);
}  // namespace look
