// SPDX-License-Identifier: MIT
#include "ui/language_table.h"

#include <stdexcept>

namespace kerbview::ui {
namespace {

// Texts are Windows-1252; a hex escape is closed by splitting the literal where the next
// character would otherwise be read as part of it.
// clang-format off

LanguageTexts Espanol() {
    return LanguageTexts{
        .TxtScanning = "Escaneando...",
        .TxtRunning = "RACE07 EN MARCHA",
        .TxtNotRunning = "RACE07 NO CARGADO",
        .TxtLapTimes = "Tiempos vuelta",
        .TxtBest = "Mejor",
        .TxtLast = "Ultima",
        .TxtCurrent = "Actual",
        .TxtLap = "Vuelta",
        .TxtWater = "Agua",
        .TxtOil = "Aceite",
        .TxtFuelLastLap = "Litros \xFAltima vuelta",
        .TxtLimiter = "LIMITADOR",
        .TxtPits = "BOXES",
        .TxtTc = "CT",
        .TxtTcHigh = "CT ALTO",
        .TxtTcLow = "CT BAJO",
        .TxtAbs = "ABS",
        .TxtAbsHigh = "ABS ALTO",
        .TxtAbsLow = "ABS BAJO",
        .TxtContact = "CONTACTO",
        .TxtEngine = "MOTOR",
        .TxtAboutMenu = "Acerca de",
        .TxtExit = "Salir",
        .TxtLanguage = "Idioma",
        .TxtAboutTitle = "Acerca de Kerbview",
        .TxtAboutDescription =
            "Visualizador de datos auxiliar para el simulador de carreras RACE07 de Simbin.",
        .TxtAboutCredit = "Programado por Quillon",
        .TxtFileMenu = "Archivo",
        .TxtOptionsMenu = "Opciones",
        .TxtScanTimeMenu = "Tiempo Refresco",
        .TxtIpAddress = "Direcci\xF3n IP",
        .TxtPort = "Puerto",
        .TxtBadIp =
            "La IP introducida no es valida\r\n"
            "Deber\xED" "a de tener la forma XXX.XXX.XXX.XXX\r\n"
            "Donde XXX es un valor numerico de 000 a 255",
        .TxtBadPort =
            "El puerto introducido no es valido\r\n"
            "introduce un valor entre 0 y 65535",
        .TxtConnectionMenu = "Conexi\xF3n",
        .TxtNone = "Ninguna",
        .TxtServer = "Servidor",
        .TxtClient = "Cliente",
        .TxtServerData = "Datos Servidor",
        .TxtClientData = "Datos Cliente",
        .TxtOk = "Aceptar",
        .TxtConnected = "CONECTADO",
        .TxtConnecting = "CONECTANDO",
        .TxtListening = "ESCUCHANDO",
        .TxtNoLink = "N/A",
        .TxtGraphics = "Gr\xE1" "ficos",
        .TxtMetric = "Metrico",
        .TxtImperial = "Imperial",
        .TxtShowServerData = "Ver Datos Servidor",
        .TxtWebDashboard = "Panel web",
        .TxtWebPortBusy = "El puerto est\xE1 ocupado",
        .TxtReplay = "Reproducir una grabaci\xF3n...",
        .TxtReplayPause = "Pausar la reproducci\xF3n",
        .TxtReplaySpeed = "Velocidad",
        .TxtReplayProblem = "Problema con la grabaci\xF3n",
        .TxtReplayCannotOpen = "No se puede abrir el archivo",
        .TxtReplayNotRecording = "El archivo no es una grabaci\xF3n de Kerbview",
        .TxtReplayNewer = "La grabaci\xF3n es de un Kerbview m\xE1s nuevo, formato",
        .TxtReplayDamaged = "La grabaci\xF3n est\xE1 da\xF1" "ada en el bloque",
        .TxtReplayNeedsNoClient = "Un cliente muestra los datos de su servidor: elige Ninguna o Servidor para reproducir una grabaci\xF3n",
        .TxtRecordStints = "Grabar tandas",
        .TxtRecordingStopped =
            "La grabaci\xF3n se ha detenido: no se pudo escribir el archivo",
        .TxtLapsMenu = "Vueltas...",
        .TxtRaceSettingsMenu = "Ajustes de carrera...",
    };
}

LanguageTexts Catala() {
    return LanguageTexts{
        .TxtScanning = "Escanejant...",
        .TxtRunning = "RACE07 EN MARXA",
        .TxtNotRunning = "RACE07 NO CARREGAT",
        .TxtLapTimes = "Temps volta",
        .TxtBest = "Millor",
        .TxtLast = "Ultima",
        .TxtCurrent = "Actual",
        .TxtLap = "Volta",
        .TxtWater = "Aigua",
        .TxtOil = "Oli",
        .TxtFuelLastLap = "Litres \xFAltima volta",
        .TxtLimiter = "LIMITADOR",
        .TxtPits = "BOXES",
        .TxtTc = "CT",
        .TxtTcHigh = "CT ALT",
        .TxtTcLow = "CT BAIX",
        .TxtAbs = "ABS",
        .TxtAbsHigh = "ABS ALT",
        .TxtAbsLow = "ABS BAIX",
        .TxtContact = "CONTACTE",
        .TxtEngine = "MOTOR",
        .TxtAboutMenu = "Info",
        .TxtExit = "Sortir",
        .TxtLanguage = "Idioma",
        .TxtAboutTitle = "Sobre el Kerbview",
        .TxtAboutDescription =
            "Visualitzador de dades auxiliar per el simulador de carreres RACE07 de Simbin.",
        .TxtAboutCredit = "Programat per Quillon",
        .TxtFileMenu = "Arxiu",
        .TxtOptionsMenu = "Opcions",
        .TxtScanTimeMenu = "Temps Refresc",
        .TxtIpAddress = "Adre\xE7" "a IP",
        .TxtPort = "Port",
        .TxtBadIp =
            "La IP introduida no es v\xE0lida\r\n"
            "Hauria de tenir la forma XXX.XXX.XXX.XXX\r\n"
            "on XXX es un valor num\xE8ric de 000 a 255",
        .TxtBadPort =
            "El port introduit no es v\xE0lid\r\n"
            "introdueix un valor entre 0 i 65535",
        .TxtConnectionMenu = "Conexi\xF3",
        .TxtNone = "Cap",
        .TxtServer = "Servidor",
        .TxtClient = "Client",
        .TxtServerData = "Dades Servidor",
        .TxtClientData = "Dades Client",
        .TxtOk = "Acceptar",
        .TxtConnected = "CONECTAT",
        .TxtConnecting = "CONECTANT",
        .TxtListening = "ESCOLTANT",
        .TxtNoLink = "N/A",
        .TxtGraphics = "Gr\xE0" "fics",
        .TxtMetric = "M\xE8tric",
        .TxtImperial = "Imperial",
        .TxtShowServerData = "Veure Dades Servidor",
        .TxtWebDashboard = "Tauler web",
        .TxtWebPortBusy = "El port est\xE0 ocupat",
        .TxtReplay = "Reprodueix un enregistrament...",
        .TxtReplayPause = "Pausa la reproducci\xF3",
        .TxtReplaySpeed = "Velocitat",
        .TxtReplayProblem = "Problema amb l'enregistrament",
        .TxtReplayCannotOpen = "No es pot obrir el fitxer",
        .TxtReplayNotRecording = "El fitxer no \xE9s un enregistrament de Kerbview",
        .TxtReplayNewer = "L'enregistrament \xE9s d'un Kerbview m\xE9s nou, format",
        .TxtReplayDamaged = "L'enregistrament est\xE0 malm\xE8s al bloc",
        .TxtReplayNeedsNoClient = "Un client mostra les dades del seu servidor: tria Cap o Servidor per reproduir un enregistrament",
        .TxtRecordStints = "Enregistrar tandes",
        .TxtRecordingStopped =
            "L'enregistrament s'ha aturat: no s'ha pogut escriure el fitxer",
        .TxtLapsMenu = "Voltes...",
        .TxtRaceSettingsMenu = "Configuraci\xF3 de la cursa...",
    };
}

LanguageTexts Asturianu() {
    return LanguageTexts{
        .TxtScanning = "Escaneando...",
        .TxtRunning = "RACE07 N'ANDANCIA",
        .TxtNotRunning = "RACE07 NO CARGADO",
        .TxtLapTimes = "Tiempus revolada",
        .TxtBest = "Meyor",
        .TxtLast = "Ultima",
        .TxtCurrent = "Actual",
        .TxtLap = "Revolada",
        .TxtWater = "Augua",
        .TxtOil = "Aceite",
        .TxtFuelLastLap = "Llitrus ultima revolada",
        .TxtLimiter = "LIMITADOR",
        .TxtPits = "BOXES",
        .TxtTc = "CT",
        .TxtTcHigh = "CT ALTU",
        .TxtTcLow = "CT BAXU",
        .TxtAbs = "ABS",
        .TxtAbsHigh = "ABS ALTU",
        .TxtAbsLow = "ABS BAXU",
        .TxtContact = "CONTACTO",
        .TxtEngine = "MOTOR",
        .TxtAboutMenu = "Alrodiu de",
        .TxtExit = "Pesllar",
        .TxtLanguage = "Llingua",
        .TxtAboutTitle = "Alrodiu de Kerbview",
        .TxtAboutDescription =
            "Visualizador de datos auxiliar para el simulador de carreras RACE07 de Simbin.",
        .TxtAboutCredit = "Programado por Quillon",
        .TxtFileMenu = "Archivu",
        .TxtOptionsMenu = "Opciones",
        .TxtScanTimeMenu = "Tiempu Refresco",
        .TxtIpAddress = "Direici\xF3n IP",
        .TxtPort = "Puertu",
        .TxtBadIp =
            "La IP introducida no es valida\r\n"
            "Deber\xED" "a de tener la forma XXX.XXX.XXX.XXX\r\n"
            "Donde XXX es un valor numerico de 000 a 255",
        .TxtBadPort =
            "El puerto introducido no es valido\r\n"
            "introduce un valor entre 0 y 65535",
        .TxtConnectionMenu = "Conexi\xF3n",
        .TxtNone = "Ninguna",
        .TxtServer = "Servidor",
        .TxtClient = "Veceru",
        .TxtServerData = "Datos Servidor",
        .TxtClientData = "Datos Veceru",
        .TxtOk = "Aceutar",
        .TxtConnected = "CONECTADO",
        .TxtConnecting = "CONECTANDO",
        .TxtListening = "ESCUCHANDO",
        .TxtNoLink = "N/A",
        .TxtGraphics = "Gr\xE1" "ficos",
        .TxtMetric = "Metricu",
        .TxtImperial = "Imperial",
        .TxtShowServerData = "Ver Datos Servidor",
        .TxtWebDashboard = "Panel web",
        .TxtWebPortBusy = "El puertu ta ocup\xE1u",
        .TxtReplay = "Reproducir una grabaci\xF3n...",
        .TxtReplayPause = "Posar la reproducci\xF3n",
        .TxtReplaySpeed = "Velocid\xE1",
        .TxtReplayProblem = "Problema cola grabaci\xF3n",
        .TxtReplayCannotOpen = "Nun se pue abrir el ficheru",
        .TxtReplayNotRecording = "El ficheru nun ye una grabaci\xF3n de Kerbview",
        .TxtReplayNewer = "La grabaci\xF3n ye d'un Kerbview m\xE1s nuevu, formatu",
        .TxtReplayDamaged = "La grabaci\xF3n ta da\xF1" "ada nel bloque",
        .TxtReplayNeedsNoClient = "Un cliente amuesa los datos del so servidor: escueyi Ninguna o Servidor pa reproducir una grabaci\xF3n",
        .TxtRecordStints = "Grabar tandes",
        .TxtRecordingStopped =
            "La grabaci\xF3n par\xF3: nun se pudo escribir el ficheru",
        .TxtLapsMenu = "Vueltes...",
        .TxtRaceSettingsMenu = "Axustes de la carrera...",
    };
}

LanguageTexts English() {
    return LanguageTexts{
        .TxtScanning = "Scanning...",
        .TxtRunning = "RACE07 RUNNING",
        .TxtNotRunning = "RACE07 NOT RUNNING",
        .TxtLapTimes = "Lap Times",
        .TxtBest = "Best",
        .TxtLast = "Last",
        .TxtCurrent = "Current",
        .TxtLap = "Lap",
        .TxtWater = "Water",
        .TxtOil = "Oil",
        .TxtFuelLastLap = "Liters last lap",
        .TxtLimiter = "SPD LIMIT",
        .TxtPits = "PITS",
        .TxtTc = "TC",
        .TxtTcHigh = "TC HIGH",
        .TxtTcLow = "TC LOW",
        .TxtAbs = "ABS",
        .TxtAbsHigh = "ABS HIGH",
        .TxtAbsLow = "ABS LOW",
        .TxtContact = "CONTACT",
        .TxtEngine = "ENGINE",
        .TxtAboutMenu = "About",
        .TxtExit = "Exit",
        .TxtLanguage = "Language",
        .TxtAboutTitle = "About Kerbview",
        .TxtAboutDescription = "Auxiliar data screen for SIMBIN's RACE07 race simulator",
        .TxtAboutCredit = "Programmed by Quillon",
        .TxtFileMenu = "File",
        .TxtOptionsMenu = "Options",
        .TxtScanTimeMenu = "Scan Time",
        .TxtIpAddress = "IP Adress",
        .TxtPort = "Port",
        .TxtBadIp =
            "The IP adress is not valid\r\n"
            "should be in the form XXX.XXX.XXX.XXX\r\n"
            "where XXX is a numeric value from 000 to 255",
        .TxtBadPort =
            "Wrong port number\r\n"
            "Should be a number between 0 and 65535",
        .TxtConnectionMenu = "Connection",
        .TxtNone = "None",
        .TxtServer = "Server",
        .TxtClient = "Client",
        .TxtServerData = "Server Data",
        .TxtClientData = "Client data",
        .TxtOk = "OK",
        .TxtConnected = "CONNECTED",
        .TxtConnecting = "CONNECTING",
        .TxtListening = "LISTENING",
        .TxtNoLink = "NONE",
        .TxtGraphics = "Graphics",
        .TxtMetric = "Metric",
        .TxtImperial = "Imperial",
        .TxtShowServerData = "Show Server Data",
        .TxtWebDashboard = "Web dashboard",
        .TxtWebPortBusy = "The port is in use",
        .TxtReplay = "Replay a recording...",
        .TxtReplayPause = "Pause replay",
        .TxtReplaySpeed = "Speed",
        .TxtReplayProblem = "Problem with the recording",
        .TxtReplayCannotOpen = "The file cannot be opened",
        .TxtReplayNotRecording = "The file is not a Kerbview recording",
        .TxtReplayNewer = "The recording was made by a newer Kerbview, format",
        .TxtReplayDamaged = "The recording is damaged at block",
        .TxtReplayNeedsNoClient = "A client shows its server's readings: choose None or Server to replay a recording",
        .TxtRecordStints = "Record stints",
        .TxtRecordingStopped =
            "Recording stopped: the file could not be written",
        .TxtLapsMenu = "Laps...",
        .TxtRaceSettingsMenu = "Race settings...",
    };
}

LanguageTexts Francais() {
    return LanguageTexts{
        .TxtScanning = "Recherche...",
        .TxtRunning = "RACE07 LANCE",
        .TxtNotRunning = "RACE07 NON LANCE",
        .TxtLapTimes = "Temps au tour",
        .TxtBest = "Meilleur",
        .TxtLast = "Dernier",
        .TxtCurrent = "Actuel",
        .TxtLap = "Tour",
        .TxtWater = "Eau",
        .TxtOil = "Huile",
        .TxtFuelLastLap = "Litres dernier tour",
        .TxtLimiter = "Limiteur",
        .TxtPits = "STANDS",
        .TxtTc = "TC",
        .TxtTcHigh = "TC HAUT",
        .TxtTcLow = "TC BAS",
        .TxtAbs = "ABS",
        .TxtAbsHigh = "ABS HAUT",
        .TxtAbsLow = "ABS BAS",
        .TxtContact = "CONTACT",
        .TxtEngine = "MOTEUR",
        .TxtAboutMenu = "A Propos",
        .TxtExit = "Sortir",
        .TxtLanguage = "Langue",
        .TxtAboutTitle = "A Propos de Kerbview",
        .TxtAboutDescription =
            "Affichage d\xE9port\xE9 des donn\xE9"
            "es techniques pour la simulation RACE07 de SIMBIN",
        .TxtAboutCredit = "Programm\xE9 par Quillon",
        .TxtFileMenu = "Fichier",
        .TxtOptionsMenu = "Options",
        .TxtScanTimeMenu = "Intervalle...",
        .TxtIpAddress = "Adresse IP",
        .TxtPort = "Port",
        .TxtBadIp =
            "Cette adresse IP n'est pas valide\r\n"
            "Elle devrait \xEAtre au format XXX.XXX.XXX.XXX\r\n"
            "o\xF9 XXX est une valeur comprise entre 000 et 255",
        .TxtBadPort =
            "Mauvais numero de port\r\n"
            "Ce devrait \xEAtre une valeur entre 0 et 65535",
        .TxtConnectionMenu = "Connexion",
        .TxtNone = "Aucun",
        .TxtServer = "Serveur",
        .TxtClient = "Client",
        .TxtServerData = "Donn\xE9" "es Serveur",
        .TxtClientData = "Donn\xE9" "es Client",
        .TxtOk = "OK",
        .TxtConnected = "CONNECTE",
        .TxtConnecting = "CONNEXION",
        .TxtListening = "EN ECOUTE",
        .TxtNoLink = "AUCUN",
        .TxtGraphics = "Graphiques",
        .TxtMetric = "M\xE9trique ",
        .TxtImperial = "Imp\xE9rial ",
        .TxtShowServerData = "Show Donn\xE9" "es Serveur",
        .TxtWebDashboard = "Tableau de bord web",
        .TxtWebPortBusy = "Le port est d\xE9j\xE0 utilis\xE9",
        .TxtReplay = "Rejouer un enregistrement...",
        .TxtReplayPause = "Pause de la relecture",
        .TxtReplaySpeed = "Vitesse",
        .TxtReplayProblem = "Probl\xE8me avec l'enregistrement",
        .TxtReplayCannotOpen = "Impossible d'ouvrir le fichier",
        .TxtReplayNotRecording = "Le fichier n'est pas un enregistrement Kerbview",
        .TxtReplayNewer = "L'enregistrement vient d'un Kerbview plus r\xE9" "cent, format",
        .TxtReplayDamaged = "L'enregistrement est endommag\xE9 au bloc",
        .TxtReplayNeedsNoClient = "Un client affiche les donn\xE9" "es de son serveur : choisissez Aucun ou Serveur pour rejouer un enregistrement",
        .TxtRecordStints = "Enregistrer les relais",
        .TxtRecordingStopped =
            "L'enregistrement s'est arr\xEAt\xE9 : le fichier n'a pas pu \xEAtre \xE9" "crit",
        .TxtLapsMenu = "Tours...",
        .TxtRaceSettingsMenu = "R\xE9glages de la course...",
    };
}

LanguageTexts Deutsch() {
    return LanguageTexts{
        .TxtScanning = "Datenabfrage...",
        .TxtRunning = "RACE07 GESTARTET",
        .TxtNotRunning = "RACE07 NICHT GESTARTET",
        .TxtLapTimes = "Rundenzeiten",
        .TxtBest = "Beste",
        .TxtLast = "Letzte",
        .TxtCurrent = "Momentan",
        .TxtLap = "Runde",
        .TxtWater = "Wasser",
        .TxtOil = "\xD6l",
        .TxtFuelLastLap = "Liter / letzte Runde",
        .TxtLimiter = "Begrenzer",
        .TxtPits = "Box",
        .TxtTc = "TC",
        .TxtTcHigh = "TC hoch",
        .TxtTcLow = "TC niedrig",
        .TxtAbs = "ABS",
        .TxtAbsHigh = "ABS hoch",
        .TxtAbsLow = "ABS niedrig",
        .TxtContact = "Z\xFCndung",
        .TxtEngine = "Motor",
        .TxtAboutMenu = "\xDC" "ber",
        .TxtExit = "Beenden",
        .TxtLanguage = "Sprache",
        .TxtAboutTitle = "\xDC" "ber Kerbview",
        .TxtAboutDescription =
            "Zus\xE4tzlicher Datenmonitor f\xFCr SIMBIN's RACE07 Racing Simulator",
        .TxtAboutCredit = "Programmiert von Quillon",
        .TxtFileMenu = "Datei",
        .TxtOptionsMenu = "Optionen",
        .TxtScanTimeMenu = "Aktualisierungsrate",
        .TxtIpAddress = "IP Adresse",
        .TxtPort = "Port",
        .TxtBadIp =
            "Ung\xFCltige IP Adresse\r\n"
            "Richtige Schreibweise beachten XXX.XXX.XXX.XXX\r\n"
            "XXX Zahlenwert von 000 bis 255",
        .TxtBadPort =
            "Falscher Port\r\n"
            "Zahl muss zwischen 0 und 65535 sein",
        .TxtConnectionMenu = "Verbindung",
        .TxtNone = "Keine",
        .TxtServer = "Server",
        .TxtClient = "Klient",
        .TxtServerData = "Serverdaten",
        .TxtClientData = "Klientdaten",
        .TxtOk = "OK",
        .TxtConnected = "VERBUNDEN",
        .TxtConnecting = "VERBINDUNGSAUFBAU",
        .TxtListening = "ABH\xD6REN",
        .TxtNoLink = "KEINE VERBINDUNG",
        .TxtGraphics = "Graphiken",
        .TxtMetric = "Metrisch ",
        .TxtImperial = "Imperial",
        .TxtShowServerData = "Show Serverdaten",
        .TxtWebDashboard = "Web-Dashboard",
        .TxtWebPortBusy = "Der Port ist belegt",
        .TxtReplay = "Aufzeichnung abspielen...",
        .TxtReplayPause = "Wiedergabe anhalten",
        .TxtReplaySpeed = "Tempo",
        .TxtReplayProblem = "Problem mit der Aufzeichnung",
        .TxtReplayCannotOpen = "Die Datei kann nicht ge\xF6" "ffnet werden",
        .TxtReplayNotRecording = "Die Datei ist keine Kerbview-Aufzeichnung",
        .TxtReplayNewer = "Die Aufzeichnung stammt von einem neueren Kerbview, Format",
        .TxtReplayDamaged = "Die Aufzeichnung ist besch\xE4" "digt bei Block",
        .TxtReplayNeedsNoClient = "Ein Client zeigt die Daten seines Servers: w\xE4hlen Sie Keine oder Server, um eine Aufzeichnung abzuspielen",
        .TxtRecordStints = "Stints aufzeichnen",
        .TxtRecordingStopped =
            "Die Aufzeichnung wurde beendet: die Datei konnte nicht geschrieben werden",
        .TxtLapsMenu = "Runden...",
        .TxtRaceSettingsMenu = "Renneinstellungen...",
    };
}

LanguageTexts Dutch() {
    return LanguageTexts{
        .TxtScanning = "Informatie opvragen...",
        .TxtRunning = "RACE07 GESTART",
        .TxtNotRunning = "RACE07 NIET GESTART",
        .TxtLapTimes = "Rondetijden",
        .TxtBest = "Beste",
        .TxtLast = "Laatste",
        .TxtCurrent = "Momenteel",
        .TxtLap = "Ronde",
        .TxtWater = "Water",
        .TxtOil = "Olie",
        .TxtFuelLastLap = "Liters / Laatste Ronde",
        .TxtLimiter = "Begrenzer",
        .TxtPits = "Pitbox",
        .TxtTc = "TC",
        .TxtTcHigh = "TC Hoog",
        .TxtTcLow = "TC Laag",
        .TxtAbs = "ABS",
        .TxtAbsHigh = "ABS Hoog",
        .TxtAbsLow = "ABS Laag",
        .TxtContact = "Contact",
        .TxtEngine = "Motor",
        .TxtAboutMenu = "Over",
        .TxtExit = "Afsluiten",
        .TxtLanguage = "Taal",
        .TxtAboutTitle = "Over Kerbview",
        .TxtAboutDescription = "Telemetry-monitor voor SIMBIN's RACE07 Racing Simulator",
        .TxtAboutCredit = "Geprogrameerd door Quillon",
        .TxtFileMenu = "Bestand",
        .TxtOptionsMenu = "Opties",
        .TxtScanTimeMenu = "Scan tijd",
        .TxtIpAddress = "IP Adres",
        .TxtPort = "Poort",
        .TxtBadIp =
            "Ongeldig IP Adres\r\n"
            "Correcte invoer nodig zoals XXX.XXX.XXX.XXX\r\n"
            "XXX Getallenreeks van 000 tot 255",
        .TxtBadPort =
            "Verkeerde Poort\r\n"
            "Getal moet tussen 0 en 65535 zijn.",
        .TxtConnectionMenu = "Verbinding",
        .TxtNone = "Geen",
        .TxtServer = "Server",
        .TxtClient = "Client",
        .TxtServerData = "ServerInformatie",
        .TxtClientData = "ClientInformatie",
        .TxtOk = "OK",
        .TxtConnected = "VERBONDEN",
        .TxtConnecting = "VERBINDING...",
        .TxtListening = "LUISTEREN",
        .TxtNoLink = "GEEN VERBINDING",
        .TxtGraphics = "Graphics",
        .TxtMetric = "Metric",
        .TxtImperial = "Imperial",
        .TxtShowServerData = "Show ServerInformatie",
        .TxtWebDashboard = "Webdashboard",
        .TxtWebPortBusy = "De poort is in gebruik",
        .TxtReplay = "Opname afspelen...",
        .TxtReplayPause = "Afspelen pauzeren",
        .TxtReplaySpeed = "Snelheid",
        .TxtReplayProblem = "Probleem met de opname",
        .TxtReplayCannotOpen = "Het bestand kan niet worden geopend",
        .TxtReplayNotRecording = "Het bestand is geen Kerbview-opname",
        .TxtReplayNewer = "De opname komt van een nieuwere Kerbview, formaat",
        .TxtReplayDamaged = "De opname is beschadigd bij blok",
        .TxtReplayNeedsNoClient = "Een client toont de gegevens van zijn server: kies Geen of Server om een opname af te spelen",
        .TxtRecordStints = "Stints opnemen",
        .TxtRecordingStopped =
            "Het opnemen is gestopt: het bestand kon niet worden geschreven",
        .TxtLapsMenu = "Ronden...",
        .TxtRaceSettingsMenu = "Race-instellingen...",
    };
}

LanguageTexts Italiano() {
    return LanguageTexts{
        .TxtScanning = "Scansione...",
        .TxtRunning = "RACE07 IN ESECUZIONE",
        .TxtNotRunning = "RACE07 NON IN ESECUZ.",
        .TxtLapTimes = "Tempi sul giro",
        .TxtBest = "Migliore",
        .TxtLast = "Ultimo",
        .TxtCurrent = "Attuale",
        .TxtLap = "Giro",
        .TxtWater = "Acqua",
        .TxtOil = "Olio",
        .TxtFuelLastLap = "Litri ultimo giro",
        .TxtLimiter = "LIMIT VEL",
        .TxtPits = "BOX",
        .TxtTc = "TC",
        .TxtTcHigh = "TC ALTO",
        .TxtTcLow = "TC BASSO",
        .TxtAbs = "ABS",
        .TxtAbsHigh = "ABS ALTO",
        .TxtAbsLow = "ABS BASSO",
        .TxtContact = "INIETTORI",
        .TxtEngine = "MOTORE",
        .TxtAboutMenu = "Informazioni su...",
        .TxtExit = "Esci",
        .TxtLanguage = "Lingua",
        .TxtAboutTitle = "Informazioni su Kerbview",
        .TxtAboutDescription =
            "Schermo dati ausiliario per il simulatore di guida RACE07 dei SIMBIN",
        .TxtAboutCredit = "Programmato da Quillon",
        .TxtFileMenu = "File",
        .TxtOptionsMenu = "Opzioni",
        .TxtScanTimeMenu = "Tempo Scansione",
        .TxtIpAddress = "Indirizzo IP",
        .TxtPort = "Porta",
        .TxtBadIp =
            "L'indirizzo IP non \xE8 valido\r\n"
            "dovrebbe essere nella forma XXX.XXX.XXX.XXX\r\n"
            "dove xxx \xE8 un valore numerico da 000 a 255",
        .TxtBadPort =
            "Numero di porta errato\r\n"
            "Dovrebbe essere un numero tra 0 e 65535",
        .TxtConnectionMenu = "Connessione",
        .TxtNone = "Nessuna",
        .TxtServer = "Server",
        .TxtClient = "Client",
        .TxtServerData = "Dati Server",
        .TxtClientData = "Dati Client",
        .TxtOk = "OK",
        .TxtConnected = "CONNESSO",
        .TxtConnecting = "COLLEGAMENTO",
        .TxtListening = "IN ASCOLTO",
        .TxtNoLink = "NESSUNO",
        .TxtGraphics = "Grafici",
        .TxtMetric = "Metrico",
        .TxtImperial = "Imperiale",
        .TxtShowServerData = "Mostra dati server",
        .TxtWebDashboard = "Dashboard web",
        .TxtWebPortBusy = "La porta \xE8 occupata",
        .TxtReplay = "Riproduci una registrazione...",
        .TxtReplayPause = "Pausa della riproduzione",
        .TxtReplaySpeed = "Velocit\xE0",
        .TxtReplayProblem = "Problema con la registrazione",
        .TxtReplayCannotOpen = "Impossibile aprire il file",
        .TxtReplayNotRecording = "Il file non \xE8 una registrazione di Kerbview",
        .TxtReplayNewer = "La registrazione \xE8 di un Kerbview pi\xF9 recente, formato",
        .TxtReplayDamaged = "La registrazione \xE8 danneggiata al blocco",
        .TxtReplayNeedsNoClient = "Un client mostra i dati del suo server: scegli Nessuna o Server per riprodurre una registrazione",
        .TxtRecordStints = "Registra gli stint",
        .TxtRecordingStopped =
            "La registrazione si \xE8 interrotta: impossibile scrivere il file",
        .TxtLapsMenu = "Giri...",
        .TxtRaceSettingsMenu = "Impostazioni gara...",
    };
}
// clang-format on

}  // namespace

std::optional<std::size_t> FindLanguage(std::string_view idioma) {
    for (std::size_t i = 0; i < kLanguageNames.size(); ++i) {
        if (kLanguageNames[i].idioma == idioma) return i;
    }
    return std::nullopt;
}

LanguageTexts LanguageColumn(std::size_t index) {
    switch (index) {
        case 0: return Espanol();
        case 1: return Catala();
        case 2: return Asturianu();
        case 3: return English();
        case 4: return Francais();
        case 5: return Deutsch();
        case 6: return Dutch();
        case 7: return Italiano();
        default: throw std::out_of_range("language index");
    }
}

bool FillLanguage(std::string_view idioma, LanguageTexts& out) {
    const std::optional<std::size_t> index = FindLanguage(idioma);
    if (!index) return false;
    out = LanguageColumn(*index);
    return true;
}

}  // namespace kerbview::ui
