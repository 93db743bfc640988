/* The screenshot script's probe: a small Windows program that answers, from inside
   the console's Wine session, where the frame, the navigation bar's headers and items
   and a page's controls are on the screen, and which page is shown. */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static HWND frame, bar;

static BOOL CALLBACK find_bar(HWND w, LPARAM unused) {
    char cls[64];
    (void)unused;
    if (GetClassNameA(w, cls, sizeof cls) && strcmp(cls, "GwOutlookBar") == 0) {
        bar = w;
        return FALSE;
    }
    return TRUE;
}

static int text_height(void) {
    NONCLIENTMETRICSW ncm;
    HFONT font = NULL, old;
    HDC dc;
    TEXTMETRICW tm;
    memset(&ncm, 0, sizeof ncm);
    ncm.cbSize = offsetof(NONCLIENTMETRICSW, lfMessageFont) + sizeof(LOGFONTW);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, ncm.cbSize, &ncm, 0))
        font = CreateFontIndirectW(&ncm.lfMessageFont);
    if (!font)
        font = (HFONT)GetStockObject(DEFAULT_GUI_FONT);
    dc = GetDC(NULL);
    old = SelectObject(dc, font);
    memset(&tm, 0, sizeof tm);
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(NULL, dc);
    return tm.tmHeight;
}

static int find_frame(int wait_ms) {
    for (int waited = 0; waited <= wait_ms; waited += 100) {
        frame = FindWindowA("QuillonFrameWindow", NULL);
        if (frame && IsWindowVisible(frame)) {
            bar = NULL;
            EnumChildWindows(frame, find_bar, 0);
            if (bar)
                return 1;
        }
        Sleep(100);
    }
    return 0;
}

/* Screen point of a client point of the bar. */
static void print_bar_point(int x, int y) {
    POINT p = {x, y};
    ClientToScreen(bar, &p);
    printf("%ld %ld\n", (long)p.x, (long)p.y);
}

struct page_scan { unsigned long long signature; };

static BOOL CALLBACK scan_page(HWND w, LPARAM param) {
    struct page_scan *scan = (struct page_scan *)param;
    char cls[64];
    if (!IsWindowVisible(w))
        return TRUE;
    if (GetClassNameA(w, cls, sizeof cls) && strcmp(cls, "#32770") == 0)
        scan->signature = scan->signature * 1000003u + (unsigned long long)(ULONG_PTR)w;
    return TRUE;
}

struct control_find { int id; HWND found; };

static BOOL CALLBACK find_control(HWND w, LPARAM param) {
    struct control_find *find = (struct control_find *)param;
    if (GetDlgCtrlID(w) == find->id && IsWindowVisible(w) && IsWindowVisible(GetParent(w))) {
        find->found = w;
        return FALSE;
    }
    return TRUE;
}

int main(int argc, char **argv) {
    const char *cmd = argc > 1 ? argv[1] : "";
    if (!find_frame(strcmp(cmd, "wait") == 0 ? 60000 : 2000)) {
        printf("none\n");
        return 1;
    }
    if (strcmp(cmd, "wait") == 0) {
        /* Put the frame at the top left at the requested size, for even pictures. */
        int w = argc > 3 ? atoi(argv[2]) : 1100, h = argc > 3 ? atoi(argv[3]) : 760;
        SetWindowPos(frame, NULL, 0, 0, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
        printf("ok\n");
    } else if (strcmp(cmd, "frame") == 0) {
        /* The client area: without a window manager nobody draws the caption. */
        RECT r;
        POINT p = {0, 0};
        GetClientRect(frame, &r);
        ClientToScreen(frame, &p);
        printf("%ld %ld %ld %ld\n", (long)p.x, (long)p.y, (long)r.right, (long)r.bottom);
    } else if (strcmp(cmd, "header") == 0 && argc > 4) {
        int group = atoi(argv[2]), open = atoi(argv[3]), groups = atoi(argv[4]);
        int h = text_height() + 10, top;
        RECT c;
        GetClientRect(bar, &c);
        top = group <= open ? group * h : c.bottom - (groups - group) * h;
        print_bar_point(c.right / 2, top + h / 2);
    } else if (strcmp(cmd, "item") == 0 && argc > 3) {
        int item = atoi(argv[2]), open = atoi(argv[3]);
        int t = text_height(), h = t + 10, item_h = 32 + t + 20;
        RECT c;
        GetClientRect(bar, &c);
        print_bar_point(c.right / 2, (open + 1) * h + item * item_h + 6 + 16);
    } else if (strcmp(cmd, "page") == 0) {
        /* page [OLD_SIGNATURE WAIT_MS]: waits up to WAIT_MS for another page than OLD. */
        unsigned long long old = argc > 3 ? strtoull(argv[2], NULL, 10) : 0;
        int wait_ms = argc > 3 ? atoi(argv[3]) : 0;
        struct page_scan scan;
        for (int waited = 0;; waited += 50) {
            scan.signature = 0;
            EnumChildWindows(frame, scan_page, (LPARAM)&scan);
            if (scan.signature != old || waited >= wait_ms)
                break;
            Sleep(50);
        }
        printf("page %llu\n", scan.signature);
    } else if (strcmp(cmd, "control") == 0 && argc > 2) {
        /* The screen centre of the shown page's control with this id. */
        struct control_find find = {atoi(argv[2]), NULL};
        RECT r;
        EnumChildWindows(frame, find_control, (LPARAM)&find);
        if (!find.found) {
            printf("none\n");
            return 1;
        }
        GetWindowRect(find.found, &r);
        printf("%ld %ld\n", (long)(r.left + r.right) / 2, (long)(r.top + r.bottom) / 2);
    } else if (strcmp(cmd, "adddialog") == 0 && argc > 2) {
        /* Fills the server monitor's add dialog with a name and presses OK. */
        HWND dialog = NULL;
        for (int waited = 0; !dialog && waited < 5000; waited += 50) {
            dialog = FindWindowA("#32770", "Add monitor server");
            if (!dialog)
                Sleep(50);
        }
        if (!dialog) {
            printf("none\n");
            return 1;
        }
        SetDlgItemTextA(dialog, 1062, argv[2]);
        SendMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
        printf("ok\n");
    } else if (strcmp(cmd, "close") == 0) {
        /* Closes the frame and answers No when it offers to apply the changes. */
        PostMessageA(frame, WM_CLOSE, 0, 0);
        for (int waited = 0; waited < 3000 && IsWindow(frame); waited += 100) {
            HWND box = FindWindowA("#32770", "Quillon");
            if (box && GetDlgItem(box, IDNO))
                PostMessageA(box, WM_COMMAND, IDNO, 0);
            Sleep(100);
        }
        printf("ok\n");
    } else {
        printf("usage: probe wait W H | frame | header G OPEN GROUPS | item I OPEN |\n"
               "       page [OLD WAIT_MS] | control ID | adddialog NAME | close\n");
        return 2;
    }
    return 0;
}
