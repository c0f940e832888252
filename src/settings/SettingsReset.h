// "全ての設定を初期状態に戻す": deletes the settings and the feed data so that
// the next start begins from the defaults.
#pragma once
#include <string>
#include <vector>

// Set once the settings were reset: closing the dialog then writes nothing.
extern bool SettingsReset;

// The files a reset deletes, in order: the settings file, the ticker file,
// the feed list, the menu file, and a settings copy left in DataFolder when
// the settings live in another folder (it would be read back otherwise).
std::vector<std::string> ResetFiles();
// Deletes them; a file that cannot be deleted is skipped.
void DeleteSettingsFiles();
// The version page's button: asks, then sets SettingsReset, deletes the
// files and ends the application. True when the user said yes.
bool RunSettingsReset();
