#include "log_list.h"

void AppendShownLine(HWND list, const char* line, int maxLines, int linesInView) {
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
    LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    while (count > maxLines && SendMessageA(list, LB_DELETESTRING, 0, 0) != LB_ERR) --count;
    SendMessageA(list, LB_SETTOPINDEX, count > linesInView ? count - linesInView : 0, 0);
}
