#include "support/ui/WidgetFinder.h"
