// The window styles of the page templates, as the resource compiler reads them: the
// common style of every page, and the styles of the five control kinds.
#pragma once

#define LULL_PAGE_STYLE 0x90CA08C4
#define LULL_FRAME_STYLE 0x50000807
#define LULL_TEXT_STYLE 0x50020000
#define LULL_CENTRED_TEXT_STYLE 0x50020001
#define LULL_RADIO_STYLE 0x50030009
#define LULL_BUTTON_STYLE 0x50010001
