#include "system_colors.h"

#if defined(Q_OS_WIN)
#include <windows.h>
#endif

QColor ActiveBorderColor() {
#if defined(Q_OS_WIN)
    const COLORREF color = GetSysColor(COLOR_ACTIVEBORDER);
    return QColor(GetRValue(color), GetGValue(color), GetBValue(color));
#else
    // Windows' classic active border grey, so the window looks the same everywhere.
    return QColor(212, 208, 200);
#endif
}
