// Five of the six entry points: "Sens_dmV2dGrad" is missing.
extern "C" {
__attribute__((visibility("default"))) int ElToGrad(float* t, int, float el) { *t = el; return 0; }
__attribute__((visibility("default"))) int GradToEl(float* el, int, float t) { *el = t; return 0; }
__attribute__((visibility("default"))) int Get_DiapByClass(float*, float*, int, int) { return 0; }
__attribute__((visibility("default"))) int Get_dT_Tolerance(float*, int, float, int) { return 0; }
__attribute__((visibility("default"))) int Sens_dOhm2dGrad(float*, int, float) { return 0; }
}
