#include "iconfontpainter.h"

IconFontPainter::~IconFontPainter() = default;
