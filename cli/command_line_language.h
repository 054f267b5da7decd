// The language of what the -- options print.
#pragma once

// Uses the catalog of the reader's language for the window's texts that the
// -- options print as well (the failures of a listing or a copy); the
// options' own texts are English in any language.
void UseCommandLineLanguage();
