#pragma once

// Names the application as the desktop knows it: "Norvane", and the desktop
// entry's name, by which a desktop matches the window to its entry and icon.
// Call once the QApplication exists, before the first window is shown.
void nameApplication();
