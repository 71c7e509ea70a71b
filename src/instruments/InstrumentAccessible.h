#pragma once
// What assistive technology (a screen reader, a test driving the program from outside) reads of
// the instruments: name, role, value with unit, range, limits and alarm, on/off state, and the
// press, increase and decrease actions, which go the way of the mouse and the keyboard.
namespace tg {

// Installs the interfaces for every instrument made from now on; installing again does nothing.
void InstallInstrumentAccessibility();

} // namespace tg
