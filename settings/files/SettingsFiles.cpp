#include "settings/files/SettingsFiles.h"
