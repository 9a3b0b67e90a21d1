// Compiled into every library that must build without the toolkit (the
// portable platform code, the game, the app, the ad library). It stops the
// build the moment a Qt header can be reached from one of them, whichever
// way the include path came in.

#if __has_include(<QtCore/qglobal.h>) || __has_include(<qglobal.h>)
#error "Qt is reachable from a layer that must build against platform/include alone"
#endif
