#pragma once
// The worker-thread entry: each thread claims one behaviour object and assesses
// it in every round of its group, woken by SIGUSR1 from the timer step.

// The argument is the thread's name, "b %d" (with-ball) or "n %d" (without-ball).
void *thread(void *name);
