// SPDX-License-Identifier: MIT
#include "frontends/win32/race_dialog.h"

#include <algorithm>

#include "frontends/win32/wide_text.h"

namespace kerbview::win32 {
namespace {

constexpr int kLength = 101;
constexpr int kLaps = 102;
constexpr int kMinutes = 103;
constexpr int kReserve = 104;
constexpr int kTank = 105;

std::string Typed(HWND edit) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(edit)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        ::GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
    return Narrow(text);
}

}  // namespace

RaceDialog::RaceDialog(const app::RaceDialogTexts& texts, const app::RaceDialogValues& values,
                       Accept accept)
    : m_texts(texts), m_values(values), m_accept(std::move(accept)) {}

void RaceDialog::Build() {
    const DWORD label = SS_LEFT | SS_NOPREFIX;
    const DWORD edit = ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP;
    m_lengthLabel = AddControl(L"STATIC", Wide(m_texts.length), label);
    m_length = AddControl(L"EDIT", Wide(m_values.length), edit, kLength, WS_EX_CLIENTEDGE);
    m_laps = AddControl(L"BUTTON", Wide(m_texts.laps), BS_AUTORADIOBUTTON | WS_TABSTOP | WS_GROUP,
                        kLaps);
    m_minutes = AddControl(L"BUTTON", Wide(m_texts.minutes), BS_AUTORADIOBUTTON, kMinutes);
    ::SendMessageW(m_values.minutes ? m_minutes : m_laps, BM_SETCHECK, BST_CHECKED, 0);
    m_reserveLabel = AddControl(L"STATIC", Wide(m_texts.reserve), label);
    m_reserve = AddControl(L"EDIT", Wide(m_values.reserve), edit, kReserve, WS_EX_CLIENTEDGE);
    m_tankLabel = AddControl(L"STATIC", Wide(m_texts.tank), label);
    m_tank = AddControl(L"EDIT", Wide(m_values.tank), edit, kTank, WS_EX_CLIENTEDGE);
    m_ok = AddControl(L"BUTTON", Wide(m_texts.ok), BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, IDOK);
}

SIZE RaceDialog::Arrange(int minWidth) {
    const int margin = Px(11);
    const int gap = Px(7);
    const int field = FieldHeight();
    const int labelHeight = TextSize(L"Xg").cy;
    const int labelWidth =
        std::max({TextSize(Wide(m_texts.length)).cx, TextSize(Wide(m_texts.reserve)).cx,
                  TextSize(Wide(m_texts.tank)).cx});
    const int editLeft = margin + labelWidth + Px(10);
    const int editWidth = std::max(Px(80), TextSize(L"000000.0").cx + Px(16));
    // A radio button: its circle, a gap and its text.
    const int circle = ::GetSystemMetricsForDpi(SM_CXMENUCHECK, Dpi()) + Px(6);
    const int lapsWidth = circle + TextSize(Wide(m_texts.laps)).cx + Px(4);
    const int minutesWidth = circle + TextSize(Wide(m_texts.minutes)).cx + Px(4);
    const int lapsLeft = editLeft + editWidth + Px(12);
    const int minutesLeft = lapsLeft + lapsWidth + Px(10);
    const int buttonWidth = ButtonWidth(Wide(m_texts.ok));
    const int width = std::max({minutesLeft + minutesWidth + margin, editLeft + editWidth + margin,
                                buttonWidth + 2 * margin, minWidth});

    int y = margin;
    const auto row = [&](HWND labelControl, HWND editControl) {
        Move(labelControl, margin, y + (field - labelHeight) / 2, labelWidth, labelHeight);
        Move(editControl, editLeft, y, editWidth, field);
    };
    row(m_lengthLabel, m_length);
    Move(m_laps, lapsLeft, y, lapsWidth, field);
    Move(m_minutes, minutesLeft, y, minutesWidth, field);
    y += field + gap;
    row(m_reserveLabel, m_reserve);
    y += field + gap;
    row(m_tankLabel, m_tank);
    y += field + gap;
    Move(m_ok, width - margin - buttonWidth, y + Px(4), buttonWidth, field);
    return {width, y + Px(4) + field + margin};
}

bool RaceDialog::KeyboardMessage(MSG& msg) {
    return (m_stop && m_stop->KeyboardMessage(msg)) || SideWindow::KeyboardMessage(msg);
}

void RaceDialog::Command(int id, int code) {
    if (id == IDOK && code == BN_CLICKED) OkClick();
}

void RaceDialog::OkClick() {
    app::RaceDialogValues typed;
    typed.length = Typed(m_length);
    typed.minutes = ::SendMessageW(m_minutes, BM_GETCHECK, 0, 0) == BST_CHECKED;
    typed.reserve = Typed(m_reserve);
    typed.tank = Typed(m_tank);
    if (m_accept(typed)) {
        Close();
        return;
    }
    m_stop = ShowStopOver(Handle(), m_texts.bad);
}

}  // namespace kerbview::win32
