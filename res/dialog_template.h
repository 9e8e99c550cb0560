#pragma once

#include <cstdint>
#include <span>
#include <vector>

// Dialog templates as tables: each control with its id, kind, text, position and size in dialog
// units, and its window styles, exactly as the dialogs are laid out. One builder (dialog_builder.h)
// turns a table into Qt widgets. Tables rather than Designer files: the layout is fixed in dialog
// units and must scale with the template font the way Windows dialogs do.

// Window style bits, with their usual values, so the tables read like the control lists they come from.
namespace style {
constexpr std::uint32_t WS_DISABLED = 0x08000000;
constexpr std::uint32_t WS_VSCROLL = 0x00200000;
constexpr std::uint32_t WS_BORDER = 0x00800000;
constexpr std::uint32_t WS_GROUP = 0x00020000;
constexpr std::uint32_t WS_TABSTOP = 0x00010000;
constexpr std::uint32_t WS_VISIBLE = 0x10000000;
constexpr std::uint32_t SS_LEFT = 0x0000;
constexpr std::uint32_t SS_CENTER = 0x0001;
constexpr std::uint32_t SS_RIGHT = 0x0002;
constexpr std::uint32_t SS_BITMAP = 0x000E;
constexpr std::uint32_t SS_ICON = 0x0003;
constexpr std::uint32_t SS_LEFTNOWORDWRAP = 0x000C;
constexpr std::uint32_t SS_CENTERIMAGE = 0x0200;
constexpr std::uint32_t SS_SUNKEN = 0x1000;
constexpr std::uint32_t ES_CENTER = 0x0001;
constexpr std::uint32_t ES_MULTILINE = 0x0004;
constexpr std::uint32_t ES_READONLY = 0x0800;
constexpr std::uint32_t ES_NUMBER = 0x2000;
constexpr std::uint32_t ES_AUTOHSCROLL = 0x0080;
constexpr std::uint32_t CBS_DROPDOWN = 0x0002;
constexpr std::uint32_t CBS_DROPDOWNLIST = 0x0003;
constexpr std::uint32_t BS_DEFPUSHBUTTON = 0x0001;
constexpr std::uint32_t BS_AUTORADIOBUTTON = 0x0009;
constexpr std::uint32_t BS_MULTILINE = 0x2000;
constexpr std::uint32_t UDS_SETBUDDYINT = 0x0002;
constexpr std::uint32_t UDS_ALIGNRIGHT = 0x0004;
constexpr std::uint32_t UDS_AUTOBUDDY = 0x0010;
constexpr std::uint32_t UDS_ARROWKEYS = 0x0020;
} // namespace style

enum class ControlKind
{
    PushButton,  // BS_DEFPUSHBUTTON in styles marks the default button
    RadioButton, // auto radio button; WS_GROUP starts a group
    GroupBox,
    Static,       // text; SS_* alignment and SS_SUNKEN apply
    StaticBitmap, // picture; resource names the bitmap
    StaticIcon,   // icon; resource names the icon
    Edit,         // ES_* apply
    ComboBox,     // CBS_DROPDOWN or CBS_DROPDOWNLIST; never sorted
    UpDown,       // UDS_* apply; UDS_AUTOBUDDY binds the control just before it
    IpAddress,    // the IP address control
    TabControl,
};

struct ControlEntry
{
    int id; // -1 for controls the code never reaches
    ControlKind kind;
    const char* text;
    int x, y, w, h; // dialog units
    std::uint32_t styles = 0;
    int resource = 0; // bitmap or icon resource id of pictures
};

struct DialogTemplate
{
    int id;
    const char* caption; // nullptr: a child dialog without caption
    const char* fontName;
    int fontPoints;
    int w, h; // dialog units
    std::vector<ControlEntry> controls;
};

// The program's templates. Returns nullptr for an unknown id.
const DialogTemplate* FindTemplate(int id);

// Each table is defined beside its kind of window; FindTemplate looks through them all.
const DialogTemplate& AboutTemplate();   // 100
const DialogTemplate& MainTemplate();    // 102
const DialogTemplate& InfoTemplate();    // 132
const DialogTemplate& VersionTemplate(); // 140
std::span<const DialogTemplate* const> AppTemplates();
// The card pages' templates, each the one its card's row names (cards/card_info.cpp).
std::span<const DialogTemplate* const> PageTemplates();
