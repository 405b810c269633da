// The program uses no exceptions: it is built with -fno-exceptions and no
// handler anywhere could recover from a failed allocation. The compiler
// runtime's standard containers still name its throw helpers and the
// verbose terminate handler, which would link in the exception classes, the
// unwinder's callers and a C++ name demangler (about 100 KB together). These
// definitions take their place: each ends the program at once, which is what
// an exception that nothing catches does anyway.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

namespace std {
void __throw_bad_alloc() { std::abort(); }
void __throw_bad_array_new_length() { std::abort(); }
void __throw_length_error(const char*) { std::abort(); }
void __throw_logic_error(const char*) { std::abort(); }
void __throw_out_of_range(const char*) { std::abort(); }
void __throw_out_of_range_fmt(const char*, ...) { std::abort(); }
void __throw_invalid_argument(const char*) { std::abort(); }
}  // namespace std
