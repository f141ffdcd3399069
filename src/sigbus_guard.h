// Reading a mapped file that shrinks after it was mapped raises SIGBUS at
// the first access past its new end. RunCatchingSigbus turns that into a
// return value for the code that reads mappings.
//
// How: while at least one call is running, a SIGBUS handler is installed
// (process-wide; the first call installs it, the last one puts back the
// handler that was there before). A SIGBUS in a thread that is inside a
// call jumps back to that call with siglongjmp; any other SIGBUS is handed
// to the previous handler, once, or ends the process as it would have.
//
// What a library caller must know: `fn` must own nothing that needs a
// destructor (the jump skips them) and must not take locks; a program that
// installs its own SIGBUS handler while a comparison runs on another thread
// replaces this one for that time.
#ifndef MAE_SIGBUS_GUARD_H
#define MAE_SIGBUS_GUARD_H

namespace mae {

// Runs fn(context). Returns null when it finished, or the address whose
// access raised SIGBUS.
const void* RunCatchingSigbus(void (*fn)(void*), void* context);

}  // namespace mae

#endif  // MAE_SIGBUS_GUARD_H
