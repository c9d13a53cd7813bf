#pragma once

// The peak resident size of this process so far (VmHWM), in KiB; -1 when it cannot be read.
long PeakResidentKiB();
