#pragma once
// Start-up and shut-down of the Carrow library (image files, encoder option
// dialogs, clipboard, settings). Nothing else in the library is used before
// InitCarrow has succeeded. Both run on the user-interface thread; the
// library state has no lock.

namespace Carrow {

/// Starts the library: opens the log, prepares the image codecs (Exiv2's
/// messages go to the log from then on), and loads the dictionary "Lan.lc"
/// from the current folder as "Dictionary" (a missing file only logs a
/// warning). Returns 1 on success, also when already started; 0 on failure.
int InitCarrow();

/// Stops the library if it was started: forgets the dictionaries, releases
/// the codecs and closes the log. Does nothing otherwise.
void UnInitCarrow();

} // namespace Carrow
