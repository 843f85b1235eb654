#ifndef BENCHPROBE_H
#define BENCHPROBE_H

// Measuring points for bench/run_bench.py. Only when the environment holds
// QUZ_BENCH=1 does installBenchProbe() do anything: it then prints, on
// standard error, lines starting with "bench " (the wall-clock time the
// window was first painted, the time from a click on the first device card
// to the device page holding the device's data, the resident memory once
// every page was shown, with QUZ_BENCH_IDLE_MS the processor time of that
// long a wait on the device page), then goes back to the list and closes the
// program. Normal runs pay one environment lookup.

class QWidget;

void installBenchProbe(QWidget *window);

#endif // BENCHPROBE_H
