/* The screenshot script's probe: a small Windows program that answers, from inside
   the console's Wine session, where the frame, the navigation bar's headers and items
   and a page's controls are on the screen, and which page is shown. The bar itself
   says where its headers and items are, so the probe knows nothing of its layout. */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* The navigation bar's questions (console/widgets/outlook_bar.h): the client-area
   centre of a group's header, of an item of the open group; 0 when there is none. */
#define OBM_GETHEADERPOINT (WM_USER + 1)
#define OBM_GETITEMPOINT (WM_USER + 2)

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

/* Asks the bar where header or item `index` is and prints it as a screen point. */
static int print_bar_point(UINT question, int index) {
    DWORD_PTR answer = 0;
    POINT p;
    if (index < 0 ||
        !SendMessageTimeoutA(bar, question, (WPARAM)index, 0, SMTO_ABORTIFHUNG, 5000, &answer) ||
        answer == 0) {
        printf("none\n");
        return 1;
    }
    p.x = (short)LOWORD(answer);
    p.y = (short)HIWORD(answer);
    ClientToScreen(bar, &p);
    printf("%ld %ld\n", (long)p.x, (long)p.y);
    return 0;
}

struct page_scan {
    unsigned long long signature;
};

static BOOL CALLBACK scan_page(HWND w, LPARAM param) {
    struct page_scan* scan = (struct page_scan*)param;
    char cls[64];
    if (!IsWindowVisible(w))
        return TRUE;
    if (GetClassNameA(w, cls, sizeof cls) && strcmp(cls, "#32770") == 0)
        scan->signature = scan->signature * 1000003u + (unsigned long long)(ULONG_PTR)w;
    return TRUE;
}

struct control_find {
    int id;
    HWND found;
};

static BOOL CALLBACK find_control(HWND w, LPARAM param) {
    struct control_find* find = (struct control_find*)param;
    if (GetDlgCtrlID(w) == find->id && IsWindowVisible(w) && IsWindowVisible(GetParent(w))) {
        find->found = w;
        return FALSE;
    }
    return TRUE;
}

int main(int argc, char** argv) {
    const char* cmd = argc > 1 ? argv[1] : "";
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
    } else if (strcmp(cmd, "header") == 0 && argc > 2) {
        return print_bar_point(OBM_GETHEADERPOINT, atoi(argv[2]));
    } else if (strcmp(cmd, "item") == 0 && argc > 2) {
        /* An item of the group open now. */
        return print_bar_point(OBM_GETITEMPOINT, atoi(argv[2]));
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
        printf("usage: probe wait W H | frame | header G | item I |\n"
               "       page [OLD WAIT_MS] | control ID | adddialog NAME | close\n");
        return 2;
    }
    return 0;
}
