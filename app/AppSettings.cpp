#include "app/AppSettings.h"

AppSettings& App() {
    static AppSettings settings;
    return settings;
}
