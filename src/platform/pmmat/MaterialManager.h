#pragma once
// The material library's manager: initialised at start-up, destroyed by the host.

namespace pmMat {

class MaterialManager
{
public:
    static void initialize(int flags);
    static void destruct();
    static bool is_initialized();
    static int initialize_count();
};

} // namespace pmMat
