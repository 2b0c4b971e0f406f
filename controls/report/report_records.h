// The records and numbers the report control shares with its parent: they
// cross to it inside WM_NOTIFY, so their layouts are fixed: every field 32 bits
// wide in the 32-bit programs; handles and pointers of 64 bits in the 64-bit
// flavour.
#pragma once
#include <cstddef>
#include <cstdint>

namespace report {

// A tree node: an index with a generation, checked in constant time; never
// 0 and never one of the four special handles below.
using NodeHandle = uint32_t;
constexpr NodeHandle RootNode = 0xFFFF0000u;
constexpr NodeHandle FirstChild = 0xFFFF0001u;
constexpr NodeHandle LastChild = 0xFFFF0002u;
constexpr NodeHandle SortedChild = 0xFFFF0003u;

// Window style bits (the low 16 bits of the style word).
constexpr uint32_t SingleSelection = 0x0001;
constexpr uint32_t ShowSelectionAlways = 0x0002;
constexpr uint32_t KeepItemColors = 0x0004;
constexpr uint32_t AlternateRows = 0x0008;
constexpr uint32_t HorizontalGrid = 0x0010;
constexpr uint32_t VerticalGrid = 0x0020;
constexpr uint32_t NoHeader = 0x0040;
constexpr uint32_t NoSort = 0x0080;
constexpr uint32_t RemovableColumns = 0x0100;
constexpr uint32_t EntryRow = 0x0200;
constexpr uint32_t FullGrid = 0x0400;
constexpr uint32_t VirtualItems = 0x0800;
constexpr uint32_t CellFocus = 0x1000;
constexpr uint32_t TruncationTips = 0x2000;
constexpr uint32_t TreeShownOnly = 0x4000;  // shows a tree that cannot grow
constexpr uint32_t Tree = 0x8000;           // shows a tree; tree inserts and deletes need this bit
constexpr uint32_t TreeStyles = 0xC000;

// Which fields of a ReportItem are valid.
constexpr uint32_t MaskText = 0x0001;
constexpr uint32_t MaskTextColor = 0x0002;
constexpr uint32_t MaskImage = 0x0004;
constexpr uint32_t MaskCheck = 0x0008;
constexpr uint32_t MaskBackColor = 0x0010;
constexpr uint32_t MaskPreview = 0x0020;
constexpr uint32_t MaskState = 0x0040;
constexpr uint32_t MaskParam = 0x0080;
constexpr uint32_t MaskIndent = 0x0100;
constexpr uint32_t MaskOverlay = 0x0200;

// Item state bits.
constexpr uint32_t StateFocused = 0x01;
constexpr uint32_t StateSelected = 0x02;
constexpr uint32_t StateBold = 0x04;
constexpr uint32_t StateReadOnly = 0x08;
constexpr uint32_t StateOwnerDraw = 0x10;
constexpr uint32_t StateCollapsed = 0x20;  // tree node with hidden children
constexpr uint32_t StateExpanded = 0x40;   // tree node with shown children
constexpr uint32_t StateDropHighlight = 0x80;
constexpr uint32_t StateDropHighlightStrong = 0x100;
constexpr uint32_t StatesOwned = 0x63;  // kept by the control whatever a set operation passes

// Notification codes: bit k of the notification mask lets code -2048 - k through.
constexpr uint32_t NotifyCode(int k) { return static_cast<uint32_t>(-2048 - k); }
constexpr uint32_t NotifyDrawPreview = NotifyCode(0);
constexpr uint32_t NotifyClick = NotifyCode(1);
constexpr uint32_t NotifyDoubleClick = NotifyCode(2);
constexpr uint32_t NotifyStateChanging = NotifyCode(3);
constexpr uint32_t NotifyStateChanged = NotifyCode(4);
constexpr uint32_t NotifyColumnClick = NotifyCode(5);
constexpr uint32_t NotifyColumnChanged = NotifyCode(6);
constexpr uint32_t NotifyDeleteItem = NotifyCode(7);
constexpr uint32_t NotifyGetItemData = NotifyCode(8);
constexpr uint32_t NotifyBeginEdit = NotifyCode(9);
constexpr uint32_t NotifyEndEdit = NotifyCode(10);
constexpr uint32_t NotifyKeyDown = NotifyCode(11);
constexpr uint32_t NotifyDividerDoubleClick = NotifyCode(12);
constexpr uint32_t NotifyRightClick = NotifyCode(13);
constexpr uint32_t NotifyEditButton = NotifyCode(14);
constexpr uint32_t NotifyDrawSubItem = NotifyCode(15);
constexpr uint32_t NotifyButtonClick = NotifyCode(16);
constexpr uint32_t NotifyExpanded = NotifyCode(17);
constexpr uint32_t NotifyColumnRightClick = NotifyCode(18);

// Hit-test flags.
constexpr uint32_t HitNowhere = 0x0001;
constexpr uint32_t HitImage = 0x0002;
constexpr uint32_t HitCheck = 0x0004;
constexpr uint32_t HitText = 0x0008;
constexpr uint32_t HitPreview = 0x0010;
constexpr uint32_t HitTreeButton = 0x0020;
constexpr uint32_t HitEntryRow = 0x0040;
constexpr uint32_t HitAbove = 0x0100;
constexpr uint32_t HitBelow = 0x0200;
constexpr uint32_t HitRight = 0x0400;
constexpr uint32_t HitLeft = 0x0800;

struct ReportItem {
    uint32_t mask;
    int32_t item;  // -1 the entry row, -2 none
    int32_t subItem;
    char* text;
    int32_t textMax;
    int32_t textColor;
    int32_t image;
    int32_t check;
    int32_t backColor;
    int32_t preview;
    int32_t indent;
    uint32_t state;
    intptr_t param;
    int32_t overlay;
};

// The standard notification header (NMHDR).
struct NotifyHeader {
    void* window;
    uintptr_t id;
    uint32_t code;
};

struct ReportNotify {
    NotifyHeader header;
    uint32_t keys;
    int32_t x;
    int32_t y;
    uint32_t hitFlags;
    NodeHandle node;
    int32_t item;
    int32_t subItem;
    uint32_t state;
    intptr_t param;
};

// NotifyDrawPreview.
struct ReportPreviewNotify {
    NotifyHeader header;
    int32_t reserved;
    int32_t item;
    uint32_t state;
    void* dc;
    int32_t left, top, right, bottom;
    intptr_t param;
};

// NotifyColumnClick, NotifyDividerDoubleClick, NotifyColumnRightClick.
struct ReportColumnNotify {
    NotifyHeader header;
    int32_t subItem;
};

// NotifyGetItemData: the parent fills the item.
struct ReportItemNotify {
    NotifyHeader header;
    ReportItem item;
};

// NotifyDrawSubItem.
struct ReportDrawNotify {
    NotifyHeader header;
    ReportItem* item;
    void* dc;
    int32_t left, top, right, bottom;
};

// NotifyBeginEdit, NotifyEndEdit, NotifyEditButton.
struct ReportEditNotify {
    NotifyHeader header;
    int32_t reserved;
    int32_t item;
    int32_t subItem;
    int32_t withButton;
    void* editor;
    int32_t left, top, right, bottom;
    uint32_t key;
    char* text;
    intptr_t reserved2;
};

struct ReportHitTest {
    int32_t x, y;  // in
    uint32_t flags;
    NodeHandle node;
    int32_t item;     // -2 none, -1 the entry row
    int32_t subItem;  // -1 none
    int32_t row;      // -2 none
    int32_t column;   // display position, -1 none
    int32_t left, top, right, bottom;
};

#if defined(_WIN64)
// The 64-bit flavour: handles, pointers and the item parameter take the
// platform's 8 bytes, and every record starts with a real 24-byte NMHDR.
static_assert(sizeof(NotifyHeader) == 24 && sizeof(intptr_t) == 8, "NotifyHeader: an NMHDR of 64-bit Windows");
static_assert(sizeof(ReportItem) == 72 && offsetof(ReportItem, text) == 16 && offsetof(ReportItem, param) == 56,
              "ReportItem: a pointer and a parameter of 64 bits");
static_assert(sizeof(ReportNotify) == 64 && offsetof(ReportNotify, param) == 56, "ReportNotify");
static_assert(sizeof(ReportPreviewNotify) == 72 && offsetof(ReportPreviewNotify, dc) == 40, "ReportPreviewNotify");
static_assert(sizeof(ReportColumnNotify) == 32, "ReportColumnNotify");
static_assert(sizeof(ReportItemNotify) == 96, "ReportItemNotify: the header and a ReportItem");
static_assert(sizeof(ReportDrawNotify) == 56, "ReportDrawNotify");
static_assert(sizeof(ReportEditNotify) == 88 && offsetof(ReportEditNotify, text) == 72, "ReportEditNotify");
static_assert(sizeof(ReportHitTest) == 12 * 4, "ReportHitTest: 12 fields of 32 bits");
#elif defined(_WIN32)
// The programs we ship: every field 32 bits wide, as the parent has always read them.
static_assert(sizeof(ReportItem) == 14 * 4, "ReportItem: 14 fields of 32 bits");
static_assert(sizeof(NotifyHeader) == 3 * 4, "NotifyHeader: 3 fields of 32 bits");
static_assert(sizeof(ReportNotify) == 12 * 4, "ReportNotify: 12 fields of 32 bits");
static_assert(sizeof(ReportPreviewNotify) == 12 * 4, "ReportPreviewNotify: 12 fields of 32 bits");
static_assert(sizeof(ReportColumnNotify) == 4 * 4, "ReportColumnNotify: 4 fields of 32 bits");
static_assert(sizeof(ReportItemNotify) == 17 * 4, "ReportItemNotify: the header and a ReportItem");
static_assert(sizeof(ReportDrawNotify) == 9 * 4, "ReportDrawNotify: 9 fields of 32 bits");
static_assert(sizeof(ReportEditNotify) == 15 * 4, "ReportEditNotify: 15 fields of 32 bits");
static_assert(sizeof(ReportHitTest) == 12 * 4, "ReportHitTest: 12 fields of 32 bits");
#endif

}  // namespace report
