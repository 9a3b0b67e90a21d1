#pragma once
// Internal to the Qt platform layer: lets the session take the network
// machinery down while the application object is still whole. Not a public header.

namespace platform {

// Destroys the shared network access manager and its replies, which stops
// Qt's HTTP worker thread, while the application's event dispatcher and
// global state still exist. A later request makes a fresh manager.
void releaseNetworkAccess();

}
