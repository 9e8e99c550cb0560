#pragma once

// Tells assistive technology (through Qt accessibility) what the kit's self-drawn controls are: the image button
// is a push button or check box with its caption, the link label a link or a text, the title banner a heading
// with its text, the IP address edit an editable text whose value is the dotted address, the up-down a spin box
// whose value is its position. The colour static and the picture control are labels, which Qt describes itself.
//
// Each of those widgets installs this on its construction, so every program and test that builds one has it,
// whatever the linker keeps of the static library; calling it again does nothing.
void InstallKitAccessibility();
