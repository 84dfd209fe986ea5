#pragma once

namespace sprout {

// Turns on the process-wide services every screen relies on (the keyboard manager: fields kept
// above the keyboard, their previous / next / done bar). Nothing turns itself on by being linked,
// so the app's launch calls this before any screen exists; later calls do nothing, so a service
// an app switched off stays off. Main thread only.
void startAppServices();

}  // namespace sprout
