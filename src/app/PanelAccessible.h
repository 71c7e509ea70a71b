#pragma once
// Makes the panel readable by assistive technology: the instruments' interfaces and the text
// labels', whose text is what the device sent.
namespace tg::app {

void installPanelAccessibility();

} // namespace tg::app
