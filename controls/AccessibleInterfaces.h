#pragma once

// Tells assistive technology what the custom-painted controls are: the picture boxes are
// pictures and the placement lamps are check boxes that are on or off. The controls' own
// constructors call it; calling it again does nothing.
void InstallAccessibleInterfaces();
