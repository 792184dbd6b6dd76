// Everything of the dialog framework in one include.
#pragma once
#include "Controls.h"
#include "Dialog.h"
#include "Gdi.h"
#include "ResourceStrings.h"
#include "handles/ScopedDC.h"
#include "handles/UniqueHandle.h"
#include "WinApp.h"
#include "Wnd.h"
