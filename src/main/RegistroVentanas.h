#pragma once

namespace slx {

// Registers the factory of every window of the program (once per run).
void registraVentanas();

} // namespace slx
