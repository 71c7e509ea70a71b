// Qt's libraries keep no frame pointers, so walking a whole allocation stack runs into garbage
// and nearly every allocation stores a stack never seen before: that cost a third of the time and
// let memory grow without end. Two frames still name the caller, which the leak suppressions
// match on; rerun a finding with ASAN_OPTIONS=malloc_context_size=30 for whole stacks.
extern "C" const char *__asan_default_options()
{
    return "malloc_context_size=2";
}
