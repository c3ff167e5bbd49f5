#include "system_colors.h"

QColor ActiveBorderColor() {
    return QColor(212, 208, 200);
}
