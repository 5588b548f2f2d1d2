// SPDX-License-Identifier: MIT
#include "panel/element_catalogue.h"

#include <cmath>

namespace kerbview::panel {
namespace {

using core::ColourNumber;
using core::Rgb;
using E = Element;
using K = ElementKind;

constexpr ColourNumber kTeal = Rgb(0x00, 0xC0, 0xC0);
constexpr ColourNumber kWhite = Rgb(0xFF, 0xFF, 0xFF);
constexpr ColourNumber kBlack = Rgb(0, 0, 0);
constexpr ColourNumber kRatioText = Rgb(0xFF, 0xE0, 0xC0);
constexpr ColourNumber kBlue = Rgb(0x80, 0x80, 0xFF);
constexpr ColourNumber kDarkRed = Rgb(0xC0, 0x00, 0x00);
// The pedal figures sit on a light grey (#E0E0E0) field; white text there cannot be read, so
// they are drawn in near-black instead.
constexpr ColourNumber kPedalText = Rgb(0x20, 0x20, 0x20);

constexpr FontInfo kDisplay{"Bombardier", 15.75, false};
constexpr FontInfo kDisplayLarge{"Bombardier", 24, false};
constexpr FontInfo kStatus{"Tahoma", 14.25, true};
constexpr FontInfo kLamp{"Arial", 9.75, true};
constexpr FontInfo kList{"Courier New", 8.25, false};
// The gauges' font is not listed; the text drawn on them is a whole number.
constexpr FontInfo kGauge{"Arial", 12, true};
constexpr FontInfo kNone{};

// A threshold-coloured field: teal back, system window-text colour for its text.
constexpr ElementInfo Threshold(E e, std::string_view name, std::string_view role, int l, int t,
                                int w, int h) {
    return {e, name, K::TextField, role, l, t, w, h, kDisplay, "", kTeal, kSystemWindowText};
}
// A text field whose colours are not listed: no fill over the panel, white text.
constexpr ElementInfo Plain(E e, std::string_view name, std::string_view role, int l, int t, int w,
                            int h, std::string_view text = "") {
    return {e, name, K::TextField, role, l, t, w, h, kDisplay, text, kNoFill, kWhite};
}
constexpr ElementInfo Ratio(E e, std::string_view name, std::string_view role, int l, int t) {
    return {e, name, K::TextField, role, l, t, 855, 375, kDisplay, "", kTeal, kRatioText};
}
constexpr ElementInfo LampAt(E e, std::string_view name, std::string_view role, int l, int w,
                             std::string_view text) {
    return {e, name, K::Lamp, role, l, 7560, w, 375, kLamp, text, kNoFill, kBlack};
}
constexpr ElementInfo Gauge(E e, std::string_view name, std::string_view role, int l, int t, int w,
                            int h, Orientation o, ColourNumber fill) {
    return {e,      name, K::BarGauge, role,
            l,      t,    w,           h,
            kGauge, "",   kBlack,      kWhite,
            o,      fill, 0,           o == Orientation::Vertical ? 100.0 : 10000.0};
}
constexpr ElementInfo MarkerAt(E e, std::string_view name, std::string_view role, int l, int t) {
    return {e, name, K::WheelMarker, role, l, t, 375, 735, kNone, "", kDarkRed, kDarkRed};
}

constexpr std::array<ElementInfo, kElementCount> kElements{{
    // clang-format off
    {E::Label1, "Label1", K::TextField, "simulator status text", 4560, 120, 3615, 375, kStatus, "",
     Rgb(0x40, 0x40, 0x40), Rgb(0x80, 0x80, 0x80)},
    Threshold(E::Label2, "Label2", "front-left tyre temperature, left zone", 3480, 1920, 615, 375),
    Threshold(E::Label3, "Label3", "front-left tyre temperature, middle zone", 4080, 1920, 615, 375),
    Threshold(E::Label4, "Label4", "front-left tyre temperature, right zone", 4680, 1920, 615, 375),
    Threshold(E::Label5, "Label5", "front-right tyre temperature, left zone", 7560, 1920, 615, 375),
    Threshold(E::Label6, "Label6", "front-right tyre temperature, middle zone", 8160, 1920, 615, 375),
    Threshold(E::Label7, "Label7", "front-right tyre temperature, right zone", 8760, 1920, 615, 375),
    Threshold(E::Label8, "Label8", "rear-left tyre temperature, left zone", 3360, 4560, 615, 375),
    Threshold(E::Label9, "Label9", "rear-left tyre temperature, middle zone", 3960, 4560, 615, 375),
    Threshold(E::Label10, "Label10", "rear-left tyre temperature, right zone", 4560, 4560, 615, 375),
    Threshold(E::Label11, "Label11", "rear-right tyre temperature, left zone", 7680, 4560, 615, 375),
    Threshold(E::Label12, "Label12", "rear-right tyre temperature, middle zone", 8280, 4560, 615, 375),
    Threshold(E::Label13, "Label13", "rear-right tyre temperature, right zone", 8880, 4560, 615, 375),
    {E::Label14, "Label14", K::TextField, "centre read-out, large whole number between the wheels",
     6120, 3840, 675, 540, kDisplayLarge, "", kBlue, kWhite},
    Plain(E::Label15, "Label15", "connection status text", 240, 960, 2415, 375),
    Plain(E::Label16, "Label16", "fuel in the tank with unit", 5890, 5520, 1095, 375),
    Threshold(E::Label17, "Label17", "water temperature", 4320, 3600, 615, 375),
    Threshold(E::Label18, "Label18", "oil temperature", 7920, 3600, 615, 375),
    Plain(E::Label19, "Label19", "caption over the water temperature", 4200, 3240, 855, 375, "Agua"),
    Plain(E::Label20, "Label20", "caption over the oil temperature", 7800, 3240, 855, 375, "Aceite"),
    Plain(E::Label21, "Label21", "third line under the lap times, never written", 120, 7080, 3855, 375),
    Plain(E::Label22, "Label22", "best lap time", 120, 6360, 3855, 375),
    Plain(E::Label23, "Label23", "last lap time", 120, 6720, 3855, 375),
    Threshold(E::Label24, "Label24", "front-left tyre pressure", 3840, 2280, 1095, 375),
    Threshold(E::Label25, "Label25", "front-right tyre pressure", 7920, 2280, 1095, 375),
    Threshold(E::Label26, "Label26", "rear-left tyre pressure", 3720, 4920, 1095, 375),
    Threshold(E::Label27, "Label27", "rear-right tyre pressure", 8040, 4920, 1095, 375),
    Plain(E::Label28, "Label28", "track name", 4560, 600, 3615, 375),
    Plain(E::Label29, "Label29", "caption of the lap number", 120, 4920, 975, 375, "Vuelta"),
    Plain(E::Label30, "Label30", "car name", 3120, 960, 6495, 375),
    Plain(E::Label31, "Label31", "caption of the lap times", 120, 6000, 2055, 375, "Tiempos vuelta"),
    Plain(E::Label32, "Label32", "lap number", 1080, 4920, 735, 375),
    Plain(E::Label33, "Label33", "caption of the fuel used on the last lap", 120, 5280, 2655, 375,
          "Litros ultima vuelta:"),
    Plain(E::Label34, "Label34", "fuel used on the last lap", 2760, 5280, 855, 375),
    {E::Label35, "Label35", K::TextField, "pedal value A in percent, over ProgressBar1",
     1440, 1560, 615, 375, kDisplay, "", Rgb(0xE0, 0xE0, 0xE0), kPedalText},
    {E::Label36, "Label36", K::TextField, "pedal value B in percent, over ProgressBar2",
     840, 1560, 615, 375, kDisplay, "", Rgb(0xE0, 0xE0, 0xE0), kPedalText},
    Ratio(E::Label37, "Label37", "front-left tyre ratio figure", 3960, 1560),
    Ratio(E::Label38, "Label38", "front-right tyre ratio figure", 8040, 1560),
    Ratio(E::Label39, "Label39", "rear-left tyre ratio figure", 3840, 4200),
    Ratio(E::Label40, "Label40", "rear-right tyre ratio figure", 8160, 4200),
    {E::Label41, "Label41", K::TextField, "ambient temperature (\"Amb: \")", 8160, 600, 1455, 375,
     kDisplay, "", kTeal, kRatioText},
    {E::Label42, "Label42", K::TextField, "track temperature (\"Tr: \")", 3120, 600, 1455, 375,
     kDisplay, "", kTeal, kRatioText},
    Threshold(E::Label43, "Label43", "front-left brake temperature", 3840, 2640, 1095, 375),
    Threshold(E::Label44, "Label44", "front-right brake temperature", 7920, 2640, 1095, 375),
    Threshold(E::Label45, "Label45", "rear-left brake temperature", 3720, 5280, 1095, 375),
    Threshold(E::Label46, "Label46", "rear-right brake temperature", 8040, 5280, 1095, 375),
    {E::Label47, "Label47", K::TextField, "decoration, never written", 3120, 120, 555, 420,
     kDisplay, "", kBlue, kWhite},
    {E::Label48, "Label48", K::TextField, "decoration, never written", 3840, 120, 555, 420,
     kDisplay, "", kBlue, kWhite},
    LampAt(E::Command1_1, "Command1(1)", "pit-lane speed limiter lamp", 0, 1335, "LIMITADOR"),
    LampAt(E::Command1_2, "Command1(2)", "in-pit-lane lamp", 1320, 975, "BOXES"),
    LampAt(E::Command1_3, "Command1(3)", "race position, driver slot and driver name", 2280, 2775, ""),
    LampAt(E::Command1_4, "Command1(4)", "traction control level lamp", 5040, 1215, "TC"),
    LampAt(E::Command1_5, "Command1(5)", "anti-lock brakes level lamp", 6240, 1215, "ABS"),
    LampAt(E::Command1_6, "Command1(6)", "ignition lamp", 7440, 1335, "CONTACTO"),
    LampAt(E::Command1_7, "Command1(7)", "engine running lamp", 8760, 975, "MOTOR"),
    Gauge(E::ProgressBar1, "ProgressBar1", "pedal value A bar, 0 to 100", 1560, 2040, 375, 2535,
          Orientation::Vertical, kSystemHighlight),
    Gauge(E::ProgressBar2, "ProgressBar2", "pedal value B bar, 0 to 100", 960, 2040, 375, 2535,
          Orientation::Vertical, Rgb(0xFF, 0x80, 0x00)),
    Gauge(E::ProgressBar3, "ProgressBar3", "engine speed bar, revolutions per minute", 4680, 6840,
          3495, 735, Orientation::Horizontal, kDarkRed),
    Gauge(E::ProgressBar4, "ProgressBar4", "speed bar (average wheel speed)", 4680, 6120, 3495, 735,
          Orientation::Horizontal, Rgb(0x00, 0x80, 0x80)),
    MarkerAt(E::Shape1, "Shape1", "front-left wheel locking marker", 5400, 1920),
    MarkerAt(E::Shape2, "Shape2", "front-right wheel locking marker", 7080, 1920),
    MarkerAt(E::Shape3, "Shape3", "rear-left wheel locking marker", 5280, 4560),
    MarkerAt(E::Shape4, "Shape4", "rear-right wheel locking marker", 7200, 4560),
    {E::Image1, "Image1", K::Picture, "car picture, top view, stretched", 5040, 1320, 2775, 4755,
     kNone, "", kNoFill, kNoFill},
    {E::Image2, "Image2", K::Picture, "background picture of the whole panel, stretched", 0, 0,
     9720, 7555, kNone, "", kNoFill, kNoFill},
    {E::Picture1, "Picture1", K::Picture, "logo; a click opens the community web site", 120, 120,
     1500, 765, kNone, "", kNoFill, kNoFill},
    {E::List1, "List1", K::List, "list box beyond the right edge, never used", 9960, 120, 4095,
     8460, kList, "", kWhite, kBlack},
    // clang-format on
}};

constexpr bool CatalogueInElementOrder() {
    for (std::size_t i = 0; i < kElements.size(); ++i) {
        if (static_cast<std::size_t>(kElements[i].element) != i) {
            return false;
        }
    }
    return true;
}
static_assert(CatalogueInElementOrder(), "catalogue rows must follow Element order");

using M = Menu;
constexpr std::array<MenuInfo, kMenuCount> kMenus{{
    // clang-format off
    {M::Archivo, "Archivo", "Archivo", true, false, false},
    {M::Replay, "Replay", "Reproducir una grabaci\xF3n...", false, false, false},
    {M::ExportRecording, "ExportRecording", "Exportar una grabaci\xF3n...", false, false, false},
    {M::ReplayPause, "ReplayPause", "Pausa", false, true, false},
    {M::ReplayX05, "ReplayX05", "Velocidad \xBD\xD7", false, true, false},
    {M::ReplayX1, "ReplayX1", "Velocidad 1\xD7", false, true, false},
    {M::ReplayX2, "ReplayX2", "Velocidad 2\xD7", false, true, false},
    {M::ReplayX4, "ReplayX4", "Velocidad 4\xD7", false, true, false},
    {M::barra3, "barra3", "", false, false, true},
    {M::Salir, "Salir", "Salir", false, false, false},
    {M::Opciones, "Opciones", "Opciones", true, false, false},
    {M::Espanol, "Espa\xF1ol", "Espa\xF1ol", false, true, false},
    {M::Catala, "Catal\xE0", "Catal\xE0", false, true, false},
    {M::Asturianu, "Asturianu", "Asturianu", false, true, false},
    {M::English, "English", "English", false, true, false},
    {M::Francais, "Francais", "Fran\xE7" "ais", false, true, false},
    {M::Deutsch, "Deutsch", "Deutsch", false, true, false},
    {M::Dutch, "Dutch", "Dutch", false, true, false},
    {M::Italiano, "Italiano", "Italiano", false, true, false},
    {M::barra, "barra", "", false, false, true},
    {M::Graficos, "Graficos", "Gr\xE1" "ficos", false, true, false},
    {M::barra2, "barra2", "", false, false, true},
    {M::Metrico, "Metrico", "Metrico", false, true, false},
    {M::Imperial, "Imperial", "Imperial", false, true, false},
    {M::TempsRefresc, "TempsRefresc", "Tiempo Refresco", true, false, false},
    {M::TS_10, "TS_10", "10 ms", false, true, false},
    {M::TS_50, "TS_50", "50 ms", false, true, false},
    {M::TS_150, "TS_150", "150 ms", false, true, false},
    {M::TS_500, "TS_500", "500 ms", false, true, false},
    {M::TS_1000, "TS_1000", "1000 ms", false, true, false},
    {M::Conexio, "Conexio", "Conexi\xF3n", true, false, false},
    {M::Cap, "Cap", "Ninguna", false, true, false},
    {M::Servidor, "Servidor", "Servidor", false, true, false},
    {M::Client, "Client", "Cliente", false, true, false},
    {M::Resderes, "Resderes", "", false, false, true},
    {M::VeureDadesServidor, "VeureDadesServidor", "Ver Datos Servidor", false, true, false},
    {M::WebDashboard, "WebDashboard", "Panel web", false, true, false},
    {M::RecordStints, "RecordStints", "Grabar tandas", false, true, false},
    {M::Laps, "Laps", "Vueltas...", false, false, false},
    {M::RaceSettings, "RaceSettings", "Ajustes de carrera...", false, false, false},
    {M::AcercaDe, "AcercaDe", "Acerca de", true, false, false},
    // clang-format on
}};

constexpr bool MenusInMenuOrder() {
    for (std::size_t i = 0; i < kMenus.size(); ++i) {
        if (static_cast<std::size_t>(kMenus[i].menu) != i) {
            return false;
        }
    }
    return true;
}
static_assert(MenusInMenuOrder(), "menu rows must follow Menu order");

constexpr std::size_t kCollectionSize = kElementCount + 3 + kMenuCount;

constexpr std::array<CollectionEntry, kCollectionSize> MakeCollection() {
    using T = CollectionEntry::Type;
    std::array<CollectionEntry, kCollectionSize> c{};
    std::size_t i = 0;
    auto add = [&](E e) { c[i++] = {T::PanelElement, e, M::Archivo}; };
    add(E::Image2);
    add(E::Image1);
    add(E::Picture1);
    for (int n = 1; n <= 48; ++n) {
        add(LabelN(n));
    }
    for (int n = 1; n <= 7; ++n) {
        add(Lamp(n));
    }
    for (int n = 1; n <= 4; ++n) {
        add(Bar(n));
    }
    for (int n = 1; n <= 4; ++n) {
        add(Marker(n));
    }
    add(E::List1);
    c[i++] = {T::Timer, E::Label1, M::Archivo};
    c[i++] = {T::Socket, E::Label1, M::Archivo};
    c[i++] = {T::Socket, E::Label1, M::Archivo};
    for (std::size_t m = 0; m < kMenuCount; ++m) {
        c[i++] = {T::MenuItem, E::Label1, static_cast<M>(m)};
    }
    return c;
}
constexpr std::array<CollectionEntry, kCollectionSize> kCollection = MakeCollection();
static_assert(kCollectionSize <= 201, "the layout tables hold 201 entries");

}  // namespace

int TwipsToPixels(double twips) { return static_cast<int>(std::lround(twips / kTwipsPerPixel)); }

const ElementInfo& Info(Element e) { return kElements[static_cast<std::size_t>(e)]; }
std::span<const ElementInfo> ElementCatalogue() { return kElements; }
std::span<const CollectionEntry> ElementCollection() { return kCollection; }

std::array<ShareRect, 4> MarkerPlacesOnCarPicture() {
    const ElementInfo& picture = Info(Element::Image1);
    const double w = picture.width;
    const double h = picture.height;
    std::array<ShareRect, 4> places{};
    for (int n = 1; n <= 4; ++n) {
        const ElementInfo& m = Info(Marker(n));
        places[static_cast<std::size_t>(n - 1)] = {
            (m.left - picture.left) / w, (m.top - picture.top) / h, m.width / w, m.height / h};
    }
    return places;
}

bool ShowsReading(Element e) {
    switch (Info(e).kind) {
        case K::Lamp:
        case K::BarGauge:
        case K::WheelMarker: return true;
        case K::Picture:
        case K::List: return false;
        case K::TextField: break;
    }
    switch (e) {
        case E::Label1:   // simulator status
        case E::Label15:  // connection status
        case E::Label19:  // captions
        case E::Label20:
        case E::Label29:
        case E::Label31:
        case E::Label33:
        case E::Label21:  // never written
        case E::Label47:
        case E::Label48: return false;
        default: return true;
    }
}
const MenuInfo& Info(Menu m) { return kMenus[static_cast<std::size_t>(m)]; }
std::span<const MenuInfo> MenuCatalogue() { return kMenus; }

}  // namespace kerbview::panel
