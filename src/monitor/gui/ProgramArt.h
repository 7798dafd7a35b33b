#pragma once
// The program's own pictures, drawn at run time.
#include <QIcon>
#include <QImage>

// The program icon: a 32 x 32 and a 16 x 16 image of 16 colours.
QIcon ProgramIcon();
// The about box's picture: 195 x 127 pixels, 24 bits per pixel.
QImage AboutPicture();
