#pragma once

// The one widget application of a test process, made on first use on the calling thread
// (the test's main thread), on the offscreen platform unless the environment names another,
// with the desktop's message boxes as the program has them.
class QApplication;

QApplication& TestApplication();
