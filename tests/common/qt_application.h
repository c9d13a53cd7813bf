#pragma once

// The one widget application of a test process, made on first use on the calling thread
// (the test's main thread), on the offscreen platform unless the environment names another.
class QApplication;

QApplication& TestApplication();
