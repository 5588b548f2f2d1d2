// SPDX-License-Identifier: MIT
#include "frontends/win32/intro_dialog.h"

#include <algorithm>

#include "frontends/win32/wide_text.h"

namespace kerbview::win32 {
namespace {

constexpr int kText1 = 101;
constexpr int kText2 = 102;

std::string Typed(HWND edit) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(edit)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        ::GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
    return Narrow(text);
}

}  // namespace

std::unique_ptr<IntroDialog> IntroDialog::Port(const net::IntroTexts& texts,
                                               const std::string& port, Accept accept) {
    return std::make_unique<IntroDialog>(texts, false, std::string(), port, std::move(accept));
}

std::unique_ptr<IntroDialog> IntroDialog::Ip(const net::IntroTexts& texts, const std::string& ip,
                                             const std::string& port, Accept accept) {
    return std::make_unique<IntroDialog>(texts, true, ip, port, std::move(accept));
}

IntroDialog::IntroDialog(const net::IntroTexts& texts, bool withIp, const std::string& ip,
                         const std::string& port, Accept accept)
    : m_texts(texts), m_withIp(withIp), m_ip(ip), m_port(port), m_accept(std::move(accept)) {}

void IntroDialog::Build() {
    if (m_withIp) {
        m_label1 = AddControl(L"STATIC", Wide(m_texts.ipAddress), SS_LEFT | SS_NOPREFIX);
        m_text1 = AddControl(L"EDIT", Wide(m_ip), ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP, kText1,
                             WS_EX_CLIENTEDGE);
    }
    m_label2 = AddControl(L"STATIC", Wide(m_texts.port), SS_LEFT | SS_NOPREFIX);
    m_text2 = AddControl(L"EDIT", Wide(m_port), ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP, kText2,
                         WS_EX_CLIENTEDGE);
    m_command1 = AddControl(L"BUTTON", Wide(m_texts.ok), BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK);
}

SIZE IntroDialog::Arrange(int minWidth) {
    const int margin = Px(11);
    const int gap = Px(7);
    const int field = FieldHeight();
    const std::wstring sample = L"000.000.000.000";
    int labelWidth = TextSize(Wide(m_texts.port)).cx;
    if (m_withIp) labelWidth = std::max(labelWidth, TextSize(Wide(m_texts.ipAddress)).cx);
    const int labelHeight = TextSize(L"Xg").cy;
    const int editLeft = margin + labelWidth + Px(10);
    const int buttonWidth = ButtonWidth(Wide(m_texts.ok));
    const int least = std::max({Px(160), TextSize(sample).cx + Px(16), buttonWidth});
    const int width = std::max(editLeft + least + margin, minWidth);
    const int editWidth = width - editLeft - margin;

    int y = margin;
    const auto row = [&](HWND label, HWND edit) {
        Move(label, margin, y + (field - labelHeight) / 2, labelWidth, labelHeight);
        Move(edit, editLeft, y, editWidth, field);
        y += field + gap;
    };
    if (m_withIp) row(m_label1, m_text1);
    row(m_label2, m_text2);
    Move(m_command1, width - margin - buttonWidth, y + Px(4), buttonWidth, field);
    return {width, y + Px(4) + field + margin};
}

bool IntroDialog::KeyboardMessage(MSG& msg) {
    return (m_stop && m_stop->KeyboardMessage(msg)) || SideWindow::KeyboardMessage(msg);
}

void IntroDialog::Command(int id, int code) {
    if (id == IDOK && code == BN_CLICKED) Command1_Click();
}

void IntroDialog::Command1_Click() {
    const std::string text1 = m_withIp ? Typed(m_text1) : std::string();
    switch (m_accept(text1, Typed(m_text2))) {
        case net::DialogOutcome::Accepted: Close(); break;
        case net::DialogOutcome::BadPort: m_stop = ShowStopOver(Handle(), m_texts.badPort); break;
        case net::DialogOutcome::BadIp: m_stop = ShowStopOver(Handle(), m_texts.badIp); break;
    }
}

}  // namespace kerbview::win32
