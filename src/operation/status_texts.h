// Texts the program shows on its status line: the string table entries by number.
#pragma once

namespace ib::text {

inline constexpr const char* kAboutMenu = "&About ImageBurner...";                     // 101
inline constexpr const char* kRecorderReady = "Rejestrator gotowy do aktualizacji";       // 102
inline constexpr const char* kRecorderNotFound = "Nie znaleziono rejestratora VT-RD70";   // 103
inline constexpr const char* kFirmwareUpdate = "Aktualizacja Firmware";                  // 104
inline constexpr const char* kUserSettings1 = "Ustawienia USER 1";                       // 105
inline constexpr const char* kUserSettings2 = "Ustawienia USER 2";                       // 106
inline constexpr const char* kProcessSucceeded = "Proces zakończony powodzeniem!";       // 107
inline constexpr const char* kProcessFailed = "W trakcie aktualizacji powstały błędy";   // 108
inline constexpr const char* kConnecting = "ŁĄCZENIE...";                                // 109
inline constexpr const char* kDownloadAgent = "Agent pobierania";                        // 110
inline constexpr const char* kNoDiskInfo = "brak pliku DiskInfo.ini";                    // 111
inline constexpr const char* kWaitForRecorder = "Zaczekaj na gotwość rejestratora...";   // 112

}  // namespace ib::text
