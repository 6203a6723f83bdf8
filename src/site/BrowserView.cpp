#include "site/BrowserView.h"
