#pragma once
// Every program's first call: standard descriptors that are always there,
// and standard output that is known to have arrived.

namespace runtime {

// Opens each of descriptors 0, 1 and 2 that the caller left closed on the null
// device, so no file or display connection the program opens later takes its
// number and receives stray messages. Standard output and error are opened
// read-only there, so that a write to a stream the caller closed still fails.
// At exit, standard output is flushed and closed; if either fails the program
// says so on standard error as `program` and exits with `failureStatus`.
void guardStandardStreams(const char* program, int failureStatus);

}  // namespace runtime
