// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <memory>

#include "app/front_end.h"
#include "frontends/win32/message_window.h"
#include "frontends/win32/side_window.h"

namespace kerbview::win32 {

/// The race settings dialog: the race's length (an edit box and the choice of laps or minutes),
/// the fuel reserve and the tank's size, and the accept button. Shown without blocking; closing
/// it with the window's own control changes nothing. A refused value shows the stop message
/// over the dialog, which stays open with what was typed and takes no input until the message
/// is closed.
class RaceDialog final : public SideWindow {
public:
    /// accept checks and stores what was typed; true closes the dialog.
    using Accept = std::function<bool(const app::RaceDialogValues& typed)>;

    RaceDialog(const app::RaceDialogTexts& texts, const app::RaceDialogValues& values,
               Accept accept);

    /// The stop message's keys first, then the dialog's.
    bool KeyboardMessage(MSG& msg) override;

private:
    void Build() override;
    SIZE Arrange(int minWidth) override;
    void Command(int id, int code) override;
    void OkClick();

    app::RaceDialogTexts m_texts;
    app::RaceDialogValues m_values;
    Accept m_accept;
    HWND m_lengthLabel = nullptr;
    HWND m_length = nullptr;
    HWND m_laps = nullptr;
    HWND m_minutes = nullptr;
    HWND m_reserveLabel = nullptr;
    HWND m_reserve = nullptr;
    HWND m_tankLabel = nullptr;
    HWND m_tank = nullptr;
    HWND m_ok = nullptr;
    std::unique_ptr<MessageWindow> m_stop;
};

}  // namespace kerbview::win32
