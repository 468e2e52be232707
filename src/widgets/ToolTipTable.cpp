#include "widgets/ToolTipTable.h"

const QList<ToolTipRow> &toolTipTable()
{
    static const QList<ToolTipRow> table = {
        {101, 1101, QStringLiteral("Minimize")},
        {101, 1102, QStringLiteral("Maximize")},
        {101, 1103, QStringLiteral("Restore")},
        {101, 1104, QStringLiteral("Exit")},
        {101, 1105, QStringLiteral("Click here to clear the current Picture File")},
        {101, 1106, QStringLiteral("...or, click here to Browse for a Picture File")},
        {101, 1107, QStringLiteral("Click here to clear the current Audio File")},
        {101, 1108, QStringLiteral("...or, cick here to Browse for an Audio File")},
        {101, 1109, QStringLiteral("Click here to turn off optional Text (the current text settings "
                                   "will be remembered this session)")},
        {101, 1110, QStringLiteral("Click here to add optional Text to your Pictune")},
        {101, 1117, QStringLiteral("Change Options for where Velmora looks for Picture and Audio "
                                   "files, and for Auto-play")},
        {101, 1118, QStringLiteral("Help and Links to Useful Resources")},
        {101, 1112, QStringLiteral("Play/Preview the currently chosen Audio File\n\n"
                                   "Right-click for more options...")},
        {101, 1113, QStringLiteral("Pause Audio playback\n\nRight-click for more options...")},
        {101, 1114, QStringLiteral("Click here to choose where this Pictune will be saved")},
        {101, 1115, QStringLiteral("Edit the Pictune Save File Path")},
        {202, 1800, QStringLiteral("Edit the Picture File Path")},
        {202, 1801, QStringLiteral("Browse and choose a new Default for where Velmora looks for "
                                   "Pictures")},
        {202, 1802, QStringLiteral("Edit the Audio File Path")},
        {202, 1803, QStringLiteral("Browse and choose a new Default for where Velmora looks for "
                                   "Audio Files")},
        {202, 1804, QStringLiteral("Edit the Destination Folder Path")},
        {202, 1805, QStringLiteral("Browse and choose a new Default for where new Velmora are "
                                   "saved")},
        {202, 1806, QStringLiteral("Automatically Play Audio Files when Dragging and Dropping, or "
                                   "when Browsing (Enable / Disable)")},
        {204, 1900, QStringLiteral("Click here to pick a different Font\n\n"
                                   "Tip! The Up/Down Arrow Keys also change this value")},
        {204, 1901, QStringLiteral("Text Point Size Range: 1 to 400\n\n"
                                   "Tip! The Up/Down Arrow Keys also change this value")},
        {204, 1902, QStringLiteral("Click here to choose a different Text Color")},
        {204, 1903, QStringLiteral("Please enter your text here")},
        {204, 1904, QStringLiteral("Text X Position Range: -400 to 400\n\n"
                                   "Tip! The Up/Down Arrow Keys also change this value")},
        {204, 1905, QStringLiteral("Text Y Position Range: -400 to 400\n\n"
                                   "Tip! The Up/Down Arrow Keys also change this value")},
        {204, 1922, QStringLiteral("Fill in the text from the Artist and Title tags of the current "
                                   "Audio File")},
        {204, 1915, QStringLiteral("Include a Shadow behind the text, so it's easier to read")},
        {204, 1916, QStringLiteral("Click here to choose a different Shadow Color")},
        {204, 1917, QStringLiteral("Shadow X Offset Range: -200 to 200\n\n"
                                   "Tip! The Up/Down Arrow Keys also change this value")},
        {204, 1918, QStringLiteral("Shadow Y Offset Range: -200 to 200\n\n"
                                   "Tip! The Up/Down Arrow Keys also change this value")},
    };
    return table;
}
