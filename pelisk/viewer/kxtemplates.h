// The viewer's dialog templates, as its resources hold them: captions, sizes and controls
// in dialog units of "MS Sans Serif" 8.
#pragma once

#include "kxdialog.h"

// The template with that id (an IDD_ of resource.h); null for an id that names none.
const KXDLGTEMPLATE* FindDialogTemplate(int id);
