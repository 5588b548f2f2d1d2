// SPDX-License-Identifier: MIT
#include "panel/element_catalogue.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace kerbview::panel {
namespace {

// A row copied under the wrong name, or a place outside the panel, shows up here.
TEST(ElementCatalogue, NamesFollowElementsAndPlacesLieInsideThePanel) {
    for (int n = 1; n <= 48; ++n) EXPECT_EQ(Info(LabelN(n)).name, "Label" + std::to_string(n));
    for (int n = 1; n <= 7; ++n) {
        EXPECT_EQ(Info(Lamp(n)).name, "Command1(" + std::to_string(n) + ")");
        EXPECT_EQ(Info(Lamp(n)).top, 7560);
    }
    for (int n = 1; n <= 4; ++n) {
        EXPECT_EQ(Info(Bar(n)).name, "ProgressBar" + std::to_string(n));
        EXPECT_EQ(Info(Marker(n)).name, "Shape" + std::to_string(n));
    }
    for (const ElementInfo& info : ElementCatalogue()) {
        if (info.element == Element::List1) {
            EXPECT_GE(info.left, kDesignClientWidth);  // placed beyond the right edge
            continue;
        }
        EXPECT_GE(info.left, 0) << info.name;
        EXPECT_GE(info.top, 0) << info.name;
        // Command1(7) as listed reaches one pixel past the right edge.
        EXPECT_LE(info.left + info.width, kDesignClientWidth + kTwipsPerPixel) << info.name;
        EXPECT_LE(info.top + info.height, kDesignClientHeight) << info.name;
        EXPECT_FALSE(info.role.empty()) << info.name;
    }
}

TEST(ElementCatalogue, CollectionHoldsEveryElementAndMenuItemOnce) {
    std::set<Element> elements;
    std::set<Menu> menus;
    for (const CollectionEntry& entry : ElementCollection()) {
        if (entry.type == CollectionEntry::Type::PanelElement) {
            EXPECT_TRUE(elements.insert(entry.element).second) << Info(entry.element).name;
        } else if (entry.type == CollectionEntry::Type::MenuItem) {
            EXPECT_TRUE(menus.insert(entry.menu).second) << Info(entry.menu).name;
        }
    }
    EXPECT_EQ(elements.size(), kElementCount);
    EXPECT_EQ(menus.size(), kMenuCount);
    EXPECT_LE(ElementCollection().size(), 201u);
    // Pictures come first, so every other element is drawn above them.
    EXPECT_EQ(ElementCollection()[0].element, Element::Image2);
}

}  // namespace
}  // namespace kerbview::panel
