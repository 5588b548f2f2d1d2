// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>

namespace kerbview::panel {

/// Every element of the main window that the program writes or lays out, by its control name.
/// Roles are listed in the element catalogue (element_catalogue.cpp).
enum class Element : std::uint8_t {
    // clang-format off
    Label1, Label2, Label3, Label4, Label5, Label6, Label7, Label8, Label9, Label10,
    Label11, Label12, Label13, Label14, Label15, Label16, Label17, Label18, Label19, Label20,
    Label21, Label22, Label23, Label24, Label25, Label26, Label27, Label28, Label29, Label30,
    Label31, Label32, Label33, Label34, Label35, Label36, Label37, Label38, Label39, Label40,
    Label41, Label42, Label43, Label44, Label45, Label46, Label47, Label48,
    Command1_1, Command1_2, Command1_3, Command1_4, Command1_5, Command1_6, Command1_7,
    ProgressBar1, ProgressBar2, ProgressBar3, ProgressBar4,
    Shape1, Shape2, Shape3, Shape4,
    Image1, Image2, Picture1, List1,
    // clang-format on
    Count
};
inline constexpr std::size_t kElementCount = static_cast<std::size_t>(Element::Count);

/// Label1..Label48 by number.
constexpr Element LabelN(int n) { return static_cast<Element>(n - 1); }
/// Lamp Command1(n), n = 1..7.
constexpr Element Lamp(int n) {
    return static_cast<Element>(static_cast<int>(Element::Command1_1) + n - 1);
}
/// ProgressBar1..ProgressBar4 by number.
constexpr Element Bar(int n) {
    return static_cast<Element>(static_cast<int>(Element::ProgressBar1) + n - 1);
}
/// Shape1..Shape4 by number (front-left, front-right, rear-left, rear-right).
constexpr Element Marker(int n) {
    return static_cast<Element>(static_cast<int>(Element::Shape1) + n - 1);
}

/// The menu tree of the main window, in menu order.
enum class Menu : std::uint8_t {
    // clang-format off
    Archivo, Replay, ExportRecording, ReplayPause, ReplayX05, ReplayX1, ReplayX2, ReplayX4, barra3, Salir,
    Opciones, Espanol, Catala, Asturianu, English, Francais, Deutsch, Dutch, Italiano,
    barra, Graficos, barra2, Metrico, Imperial,
    TempsRefresc, TS_10, TS_50, TS_150, TS_500, TS_1000,
    Conexio, Cap, Servidor, Client, Resderes, VeureDadesServidor, WebDashboard, RecordStints,
    Laps, RaceSettings,
    AcercaDe,
    // clang-format on
    Count
};
inline constexpr std::size_t kMenuCount = static_cast<std::size_t>(Menu::Count);

}  // namespace kerbview::panel
