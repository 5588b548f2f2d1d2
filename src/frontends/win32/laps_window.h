// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "frontends/win32/side_window.h"
#include "laps/laps_view.h"

namespace kerbview::win32 {

/// The Laps window: the fuel figures (caption and value, one line each) above a table of the
/// laps (a report-view list: the best lap bold in the selection's colour, pit laps in the system's
/// grey text), and an export button that asks for a file name and hands it on. It shows a LapsView
/// as it is and can be resized: the table takes the room.
class LapsWindow final : public SideWindow {
public:
    /// exportTo writes the laps to the file the user chose; exportText is the button's caption.
    using Export = std::function<void(const std::filesystem::path&)>;
    LapsWindow(const laps::LapsView& view, std::string exportText, Export exportTo);

    /// Shows view when its revision differs from the one shown, and the export button's caption
    /// (which the view does not hold) when it changed with the language.
    void Sync(const laps::LapsView& view, const std::string& exportText);

private:
    DWORD Style() const override { return WS_OVERLAPPEDWINDOW & ~WS_MAXIMIZEBOX; }
    DWORD ExStyle() const override { return 0; }
    bool IsDialog() const override { return false; }
    void Build() override;
    SIZE Arrange(int minWidth) override;
    void Fit(int width, int height) override;
    void Command(int id, int code) override;
    LRESULT Message(UINT msg, WPARAM wParam, LPARAM lParam) override;

    /// The columns, when they changed, and the number of rows; widths fitted to the texts.
    void ShowTable(bool columnsChanged, bool rowsChanged);
    void ShowFigures();
    /// The list's (owner data) item texts and its custom drawing.
    LRESULT Notify(NMHDR& header);
    void ChooseFile();
    /// The list's width that shows every column.
    int TableWidth() const;
    void WidenForTable();
    /// Height of the figures' block.
    int FiguresHeight() const;

    laps::LapsView m_view;
    std::string m_exportText;
    Export m_export;
    std::size_t m_columnCount = 0;
    win32::Font m_bold;
    HWND m_captions = nullptr;
    HWND m_values = nullptr;
    HWND m_list = nullptr;
    HWND m_exportButton = nullptr;
    SIZE m_least{};
};

}  // namespace kerbview::win32
