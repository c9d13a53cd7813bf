#pragma once

// libcurl's process-wide start, done once whichever thread opens the first session.
void ensureCurlInitialized();
