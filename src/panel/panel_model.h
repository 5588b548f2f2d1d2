// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <string_view>

#include "core/colours.h"
#include "panel/panel_elements.h"

namespace kerbview::panel {

/// State of one panel element. Which properties matter depends on its kind: text fields use
/// text and backColor, lamps text and enabled, markers visible, gauges the four gauge values
/// and text, pictures picture. Texts are Windows-1252.
struct ElementState {
    std::string text;
    core::ColourNumber backColor = 0;
    bool enabled = true;
    bool visible = true;
    double minvalue = 0;
    double maxvalue = 100;
    double value = 0;
    /// File the picture was loaded from; empty for the built-in picture.
    std::string picture;
    /// Model revision of this element's last effective change.
    std::uint64_t revision = 0;
};

struct MenuState {
    std::string caption;  // Windows-1252
    bool checked = false;
    bool enabled = true;
    std::uint64_t revision = 0;
};

/// What changed in a PanelModel after a revision.
struct PanelChanges {
    std::bitset<kElementCount> elements;
    std::bitset<kMenuCount> menus;
};

/// Tells a view that a model changed, once per round: the listener is called at the first
/// effective change after the view last caught up (MarkSynced), so however many properties a
/// scan writes, the view schedules one refresh.
class ChangeNotifier {
public:
    /// May be empty: changes are then only counted.
    void SetChangeListener(std::function<void()> listener) { m_listener = std::move(listener); }
    /// The view has shown every change so far; the next change calls the listener again.
    void MarkSynced() { m_notified = false; }

protected:
    void Changed() {
        if (!m_notified && m_listener) {
            m_notified = true;
            m_listener();
        }
    }

private:
    std::function<void()> m_listener;
    bool m_notified = false;
};

/// The main panel as plain data: presentation logic writes it one property at a time, the view
/// shows it, tests read it. A write that changes nothing leaves the revision alone, so the view
/// repaints only what changed. The panel is never cleared: an element keeps its last state.
class PanelModel : public ChangeNotifier {
public:
    PanelModel();

    const ElementState& operator[](Element e) const { return m_elements[Index(e)]; }
    const MenuState& MenuAt(Menu m) const { return m_menus[static_cast<std::size_t>(m)]; }

    void SetText(Element e, std::string_view text);
    void SetBackColor(Element e, core::ColourNumber colour);
    void SetEnabled(Element e, bool enabled);
    void SetVisible(Element e, bool visible);
    void SetMinValue(Element e, double v);
    void SetMaxValue(Element e, double v);
    void SetValue(Element e, double v);
    void SetPicture(Element e, std::string_view file);

    void SetMenuCaption(Menu m, std::string_view caption);
    void SetMenuChecked(Menu m, bool checked);
    void SetMenuEnabled(Menu m, bool enabled);

    /// The values on the panel are old: the program has had no snapshot for a while. They stay
    /// as they are; views draw the elements that show readings (ShowsReading) dimmed while it is
    /// set. A change counts as a change of the model.
    bool Stale() const { return m_stale; }
    void SetStale(bool stale);

    /// Number of effective changes so far; a view that saw revision r redraws elements and menus
    /// whose revision is greater than r.
    std::uint64_t Revision() const { return m_revision; }
    /// The elements and menus whose last effective change came after revision r: what a view
    /// that showed revision r draws again. None when r is the current revision.
    PanelChanges ChangedSince(std::uint64_t r) const;

private:
    static std::size_t Index(Element e) { return static_cast<std::size_t>(e); }
    ElementState& Touch(Element e) { return m_elements[Index(e)]; }
    void Bump(ElementState& s) {
        s.revision = ++m_revision;
        Changed();
    }
    void Bump(MenuState& s) {
        s.revision = ++m_revision;
        Changed();
    }

    std::array<ElementState, kElementCount> m_elements;
    std::array<MenuState, kMenuCount> m_menus;
    std::uint64_t m_revision = 0;
    bool m_stale = false;
};

/// The debug window Depuracio: labels Label1..Label9 start as ".", Label20 (scan time) and
/// Label21 (last error) start empty.
class DebugModel : public ChangeNotifier {
public:
    /// Lines the log keeps; older ones are dropped.
    static constexpr std::size_t kLogLines = 200;

    DebugModel();
    /// n is 1..9, 20 or 21.
    const std::string& Label(int n) const { return m_labels.at(static_cast<std::size_t>(n)); }
    void SetLabel(int n, std::string_view text);
    /// Adds a line to the log shown under the labels (errors with their messages, dropped
    /// connections); at most kLogLines are kept.
    void AppendLog(std::string_view line);
    const std::deque<std::string>& Log() const { return m_log; }
    std::uint64_t Revision() const { return m_revision; }

private:
    std::array<std::string, 22> m_labels;
    std::deque<std::string> m_log;
    std::uint64_t m_revision = 0;
};

}  // namespace kerbview::panel
