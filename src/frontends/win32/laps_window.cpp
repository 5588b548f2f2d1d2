// SPDX-License-Identifier: MIT
#include "frontends/win32/laps_window.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "frontends/win32/wide_text.h"

namespace kerbview::win32 {
namespace {

constexpr int kList = 101;
constexpr int kExport = 102;
/// Rows of the table at the window's initial size.
constexpr int kInitialRows = 10;

/// The figures' captions or values, one a line, as a static control breaks them.
std::wstring Lines(const std::vector<laps::LapsView::Figure>& figures, bool values) {
    std::wstring lines;
    for (const laps::LapsView::Figure& figure : figures) {
        if (!lines.empty()) lines += L"\r\n";
        lines += Wide(values ? figure.value : figure.caption);
    }
    return lines;
}

}  // namespace

LapsWindow::LapsWindow(const laps::LapsView& view, std::string exportText, Export exportTo)
    : m_view(view), m_exportText(std::move(exportText)), m_export(std::move(exportTo)) {}

void LapsWindow::Build() {
    const INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&classes);
    m_captions = AddControl(L"STATIC", L"", SS_LEFTNOWORDWRAP | SS_NOPREFIX);
    m_values = AddControl(L"STATIC", L"", SS_LEFTNOWORDWRAP | SS_NOPREFIX);
    // Owner data: the rows' texts are read from the view when drawn, so a new lap only changes
    // the count.
    m_list = AddControl(
        WC_LISTVIEWW, L"",
        LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP | WS_GROUP,
        kList, WS_EX_CLIENTEDGE);
    ListView_SetExtendedListViewStyle(m_list, LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    m_exportButton =
        AddControl(L"BUTTON", Wide(m_exportText), BS_PUSHBUTTON | WS_TABSTOP | WS_GROUP, kExport);
    ShowFigures();
    ShowTable(true, true);
}

void LapsWindow::Sync(const laps::LapsView& view, const std::string& exportText) {
    if (!Open()) return;
    if (exportText != m_exportText) {
        m_exportText = exportText;
        ::SetWindowTextW(m_exportButton, Wide(m_exportText).c_str());
        RECT client{};
        ::GetClientRect(Handle(), &client);
        Fit(client.right, client.bottom);
    }
    if (view.revision == m_view.revision) return;
    const bool columnsChanged = view.columns != m_view.columns;
    const bool rowsChanged = view.rows != m_view.rows;
    const bool figuresChanged = view.figures != m_view.figures;
    const bool titleChanged = view.title != m_view.title;
    m_view = view;
    if (titleChanged) ::SetWindowTextW(Handle(), Wide(m_view.title).c_str());
    if (columnsChanged || rowsChanged) {
        ShowTable(columnsChanged, rowsChanged);
        WidenForTable();
    }
    if (figuresChanged) {
        ShowFigures();
        // The number of figures may have changed: the table moves up or down.
        RECT client{};
        ::GetClientRect(Handle(), &client);
        Fit(client.right, client.bottom);
    }
}

void LapsWindow::ShowFigures() {
    ::SetWindowTextW(m_captions, Lines(m_view.figures, false).c_str());
    ::SetWindowTextW(m_values, Lines(m_view.figures, true).c_str());
}

void LapsWindow::ShowTable(bool columnsChanged, bool rowsChanged) {
    if (columnsChanged) {
        ::SendMessageW(m_list, WM_SETREDRAW, FALSE, 0);
        for (std::size_t i = m_columnCount; i > 0; --i) ListView_DeleteColumn(m_list, 0);
        m_columnCount = m_view.columns.size();
        for (std::size_t i = 0; i < m_columnCount; ++i) {
            std::wstring header = Wide(m_view.columns[i]);
            LVCOLUMNW column{};
            column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH;
            // The lap's number on the left; the figures right-aligned, as numbers are.
            column.fmt = i == 0 ? LVCFMT_LEFT : LVCFMT_RIGHT;
            column.pszText = header.data();
            column.cx = Px(60);
            ::SendMessageW(m_list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
        }
        ::SendMessageW(m_list, WM_SETREDRAW, TRUE, 0);
    }
    if (!rowsChanged && !columnsChanged) return;
    const int shown = ListView_GetItemCount(m_list);
    const int count = static_cast<int>(m_view.rows.size());
    // The newest lap comes into sight when the last one shown was in sight.
    const bool follow = shown == 0 || ListView_IsItemVisible(m_list, shown - 1);
    ListView_SetItemCountEx(m_list, count, LVSICF_NOSCROLL);
    // Widths for the texts: each column as wide as its header or its widest cell, the best
    // lap's bold included.
    const HFONT bold = m_bold ? m_bold.get() : Font();
    for (std::size_t c = 0; c < m_columnCount; ++c) {
        int width = TextSize(Wide(m_view.columns[c])).cx;
        for (const laps::LapsView::Row& row : m_view.rows) {
            if (c < row.cells.size())
                width = std::max(width, TextSize(Wide(row.cells[c]), bold).cx);
        }
        ListView_SetColumnWidth(m_list, static_cast<int>(c), width + Px(14));
    }
    ::InvalidateRect(m_list, nullptr, FALSE);
    if (follow && count > shown) ListView_EnsureVisible(m_list, count - 1, FALSE);
}

int LapsWindow::FiguresHeight() const {
    if (m_view.figures.empty()) return 0;
    return TextSize(Lines(m_view.figures, false)).cy;
}

int LapsWindow::TableWidth() const {
    int width = ::GetSystemMetricsForDpi(SM_CXVSCROLL, Dpi()) + Px(6);
    for (std::size_t c = 0; c < m_columnCount; ++c) {
        width += ListView_GetColumnWidth(m_list, static_cast<int>(c));
    }
    return width;
}

// Columns widened by new laps widen the window as far as its monitor's work area allows, so
// that the table shows whole without a horizontal scroll bar; it never narrows by itself.
void LapsWindow::WidenForTable() {
    RECT list{};
    ::GetClientRect(m_list, &list);
    const int missing = TableWidth() - Px(4) - list.right;
    if (missing <= 0) return;
    RECT frame{};
    ::GetWindowRect(Handle(), &frame);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!::GetMonitorInfoW(::MonitorFromWindow(Handle(), MONITOR_DEFAULTTONEAREST), &info)) return;
    const RECT& work = info.rcWork;
    const int width = std::min<int>(frame.right - frame.left + missing, work.right - work.left);
    const int left = std::max<int>(work.left, std::min<int>(frame.left, work.right - width));
    ::SetWindowPos(Handle(), nullptr, left, frame.top, width, frame.bottom - frame.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

SIZE LapsWindow::Arrange(int minWidth) {
    m_bold = MessageFont(Dpi(), 1.0, true);
    ShowTable(false, true);
    const int margin = Px(9);
    const int gap = Px(7);
    const int line = TextSize(L"Xg", m_bold.get()).cy;
    const int tableWidth = TableWidth();
    // Room for values longer than the first ones ("2.41 L/lap from 5 laps").
    const int figuresWidth = TextSize(Lines(m_view.figures, false)).cx + Px(16) +
                             std::max(Px(180), TextSize(Lines(m_view.figures, true)).cx);
    const int buttonWidth = ButtonWidth(Wide(m_exportText));
    const int width = std::max({tableWidth, figuresWidth, buttonWidth, Px(300)}) + 2 * margin;
    const int header = line + Px(10);
    const int rows = kInitialRows * (line + Px(4));
    const int tableHeight = header + rows + ::GetSystemMetricsForDpi(SM_CYHSCROLL, Dpi()) + Px(6);
    const int figures = FiguresHeight();
    const int above = margin + (figures > 0 ? figures + gap : 0);
    const int below = gap + FieldHeight() + margin;
    m_least = {buttonWidth + 2 * margin, above + header + 3 * (line + Px(4)) + below};
    return {std::max(width, minWidth), above + tableHeight + below};
}

void LapsWindow::Fit(int width, int height) {
    if (m_list == nullptr) return;
    const int margin = Px(9);
    const int gap = Px(7);
    const int figures = FiguresHeight();
    const int captionWidth = TextSize(Lines(m_view.figures, false)).cx;
    const int valuesLeft = margin + captionWidth + Px(16);
    Move(m_captions, margin, margin, captionWidth, figures);
    Move(m_values, valuesLeft, margin, std::max(0, width - valuesLeft - margin), figures);
    const int top = margin + (figures > 0 ? figures + gap : 0);
    const int button = FieldHeight();
    const int buttonWidth = ButtonWidth(Wide(m_exportText));
    const int buttonTop = std::max(top, height - margin - button);
    Move(m_list, margin, top, std::max(0, width - 2 * margin), std::max(0, buttonTop - gap - top));
    Move(m_exportButton, std::max(margin, width - margin - buttonWidth), buttonTop, buttonWidth,
         button);
}

void LapsWindow::Command(int id, int code) {
    if (id == kExport && code == BN_CLICKED) ChooseFile();
}

// The system's file chooser waits in a message loop of its own: the scan goes on and this
// window, its owner, takes no click meanwhile.
void LapsWindow::ChooseFile() {
    std::vector<wchar_t> file(32768, L'\0');
    const std::wstring suggested = Wide(m_view.title) + L".csv";
    std::copy_n(suggested.begin(), std::min(suggested.size(), file.size() - 1), file.begin());
    OPENFILENAMEW choice{};
    choice.lStructSize = sizeof(choice);
    choice.hwndOwner = Handle();
    choice.lpstrFilter = L"CSV (*.csv)\0*.csv\0\0";
    choice.lpstrFile = file.data();
    choice.nMaxFile = static_cast<DWORD>(file.size());
    choice.lpstrDefExt = L"csv";
    choice.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (::GetSaveFileNameW(&choice)) m_export(std::filesystem::path(file.data()));
}

LRESULT LapsWindow::Message(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            if (header->hwndFrom == m_list) return Notify(*header);
            break;
        }
        case WM_GETMINMAXINFO: {
            RECT frame{0, 0, m_least.cx, m_least.cy};
            ::AdjustWindowRectExForDpi(&frame, Style(), FALSE, ExStyle(), Dpi());
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMinTrackSize = {frame.right - frame.left, frame.bottom - frame.top};
            return 0;
        }
        default: break;
    }
    return SideWindow::Message(msg, wParam, lParam);
}

LRESULT LapsWindow::Notify(NMHDR& header) {
    if (header.code == LVN_GETDISPINFOW) {
        LVITEMW& item = reinterpret_cast<NMLVDISPINFOW&>(header).item;
        const auto row = static_cast<std::size_t>(item.iItem);
        const auto column = static_cast<std::size_t>(item.iSubItem);
        if ((item.mask & LVIF_TEXT) == 0 || item.pszText == nullptr || item.cchTextMax <= 0) {
            return 0;
        }
        std::wstring text;
        if (row < m_view.rows.size() && column < m_view.rows[row].cells.size()) {
            text = Wide(m_view.rows[row].cells[column]);
        }
        const std::size_t room = static_cast<std::size_t>(item.cchTextMax) - 1;
        const std::size_t length = std::min(text.size(), room);
        std::copy_n(text.begin(), length, item.pszText);
        item.pszText[length] = L'\0';
        return 0;
    }
    if (header.code == NM_CUSTOMDRAW) {
        auto& draw = reinterpret_cast<NMLVCUSTOMDRAW&>(header);
        if (draw.nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
        // Every cell of the row takes the font and colour: the report view draws each cell
        // with a font of its own unless told at each.
        const bool item = draw.nmcd.dwDrawStage == CDDS_ITEMPREPAINT;
        if (!item && draw.nmcd.dwDrawStage != (CDDS_ITEMPREPAINT | CDDS_SUBITEM)) {
            return CDRF_DODEFAULT;
        }
        const auto row = static_cast<std::size_t>(draw.nmcd.dwItemSpec);
        if (row >= m_view.rows.size()) return CDRF_DODEFAULT;
        LRESULT result = item ? CDRF_NOTIFYSUBITEMDRAW : CDRF_DODEFAULT;
        // The best lap: bold, in the colour of a selection, which marks it where a list
        // keeps its own font (Wine's).
        if (m_view.rows[row].best) {
            if (m_bold) ::SelectObject(draw.nmcd.hdc, m_bold.get());
            draw.clrText = ::GetSysColor(COLOR_HIGHLIGHT);
            result |= CDRF_NEWFONT;
        }
        if (m_view.rows[row].pit) {
            draw.clrText = ::GetSysColor(COLOR_GRAYTEXT);
            result |= CDRF_NEWFONT;
        }
        return result;
    }
    return 0;
}

}  // namespace kerbview::win32
