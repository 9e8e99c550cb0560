#pragma once

class BusPage;
class QWidget;

// "Save Settings to File..." and "Load Settings from File...": a card page's values to and from the
// card-settings file that meshgate2-cli backup writes and restore reads. Neither talks to the instrument:
// a loaded file only fills the page's controls, and Apply writes them as always.
namespace settings_file_actions {

// Asks for a file and writes the values Apply would send into it, whole or not at all. Says what
// went wrong: a value not read yet, a file that cannot be written.
void SaveToFile(QWidget* parent, BusPage& page);

// Asks for a file, checks all of it (format, the page's card code and range, values the card can take)
// and only then puts its values in the page's controls; a refused file leaves the page as it was.
void LoadFromFile(QWidget* parent, BusPage& page);

} // namespace settings_file_actions
