// The engine entries: each runs one whole search on the calling thread.
#pragma once

namespace trovix {

struct SearchContext;
using EngineEntry = void (*)(SearchContext&);

void run_test_engine(SearchContext& context);  // numbered rows page by page, no network
void run_engine1(SearchContext& context);      // 种子引擎1
void run_engine2(SearchContext& context);      // 种子引擎2
void run_engine3(SearchContext& context);      // 种子引擎3
void run_engine4(SearchContext& context);      // 种子引擎4
void run_engine5(SearchContext& context);      // 网盘引擎1
void run_engine6(SearchContext& context);      // 网盘引擎2

}  // namespace trovix
