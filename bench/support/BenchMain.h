#pragma once
// Shared entry point of the benchmark programs: a QApplication (widgets and VTK render
// windows need one) around Google Benchmark's runner.
//
// Naming: a benchmark "BM_Thing" is paired with its baseline "BM_Thing_Baseline" (the
// plain Qt or VTK code doing the same work); scripts/bench.sh prints their ratio.  Call
// state.SetItemsProcessed() so that the per-item cost can be printed too.
