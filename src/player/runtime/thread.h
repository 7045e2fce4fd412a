#pragma once
// The worker-thread entry: each thread claims one behaviour object and assesses
// it once per cycle, woken by SIGUSR1 from the timer handler.

// The argument is the thread's name, "b %d" (with-ball) or "n %d" (without-ball).
void *thread(void *name);
