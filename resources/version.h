// The program's version and release date, in the one place they are written: the About
// page's caption is made of them, the download is named lull-VERSION.zip after the first,
// and a test holds the title of LULL.TXT and the README's download names to it.
#pragma once

#define LULL_VERSION "1.00"
#define LULL_RELEASE_DATE "12/8/2026"
