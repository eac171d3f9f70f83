# Reference values for the t distribution: pt and qt, and pnorm and qnorm for
# the normal routines behind the t quantile. The four-term expansion of the
# t quantile around the normal quantile (Abramowitz and Stegun 26.7.5, the
# start value of DCDFLIB's t inversion) is written out here from qnorm, and
# its distance from qt is recorded with it. Run from the repository root:
#   Rscript tools/oracles/student_t.R
source("tools/oracles/common.R")

con <- file(out_path("student_t_cases.inc"), "w")
header(con, "student_t.R")

writeLines("struct ProbstCase { double t, df, lower, twoTails; };", con)
writeLines("const ProbstCase kProbstCases[] = {", con)
for (df in c(1, 2, 3, 4, 5, 6, 7, 10, 11, 25, 30, 99, 100, 1000, 5001)) {
  for (t in c(0, 0.1, 0.75, 1.5, 2.228, 3.7, 12.706, 40)) {
    writeLines(sprintf("    {%s, %s, %s, %s},", num(t), num(df), num(pt(t, df)), num(2 * pt(t, df) - 1)), con)
  }
}
writeLines("};", con)

# Degrees of freedom from 1e7 on, where the finite series would need df/2
# terms. The distribution function through the incomplete beta function,
# P(|T| <= t) = I_x(1/2, df/2) with x = t^2 / (df + t^2), which stays exact at
# any df (pt itself switches to a normal approximation above 4e5); pnorm(t),
# the plain normal limit, is recorded beside it.
writeLines("struct ProbstLargeDfCase { double t, df, lower, twoTails, normal; };", con)
writeLines("const ProbstLargeDfCase kProbstLargeDfCases[] = {", con)
for (df in c(1e7, 1e7 + 1, 123456789, 1e10, 2^53, 2^53 + 2, 2^60)) {
  for (t in c(0, 0.1, 0.75, 1.7, 3.7, 8, 40)) {
    both <- pbeta(t^2 / (df + t^2), 0.5, df / 2)
    writeLines(sprintf("    {%s, %s, %s, %s, %s},", num(t), num(df), num(0.5 + 0.5 * both), num(both),
                       num(pnorm(t))), con)
  }
}
writeLines("};", con)

expansion <- function(p, df) {
  x <- abs(qnorm(p)); xx <- x^2
  g1 <- (xx + 1) * x / 4
  g2 <- ((5 * xx + 16) * xx + 3) * x / 96
  g3 <- (((3 * xx + 19) * xx + 17) * xx - 15) * x / 384
  g4 <- ((((79 * xx + 776) * xx + 1482) * xx - 1920) * xx - 945) * x / 92160
  s <- x + g1 / df + g2 / df^2 + g3 / df^3 + g4 / df^4
  if (p >= 0.5) s else -s
}
writeLines("struct TinvCase { double P, df, expansion, exact; };", con)
writeLines("const TinvCase kTinvCases[] = {", con)
for (df in c(1, 2, 3, 5, 10, 30, 120)) {
  for (p in c(0.005, 0.025, 0.1, 0.4, 0.6, 0.9, 0.975, 0.995)) {
    writeLines(sprintf("    {%s, %s, %s, %s},", num(p), num(df), num(expansion(p, df)), num(qt(p, df))), con)
  }
}
writeLines("};", con)

writeLines("struct NormalCase { double x, lower, upper; };", con)
writeLines("const NormalCase kCumnorCases[] = {", con)
for (x in c(-38, -20, -9, -5.656854249, -5.65685424, -3, -1.5, -0.66291, -0.3, -1e-17, 0, 0.2, 0.66291, 0.7, 2, 4.5, 5.7, 8, 30)) {
  writeLines(sprintf("    {%s, %s, %s},", num(x), num(pnorm(x)), num(pnorm(x, lower.tail = FALSE))), con)
}
writeLines("};", con)

writeLines("struct QuantileCase { double p, z; };", con)
writeLines("const QuantileCase kQuantileCases[] = {", con)
for (p in c(1e-300, 1e-20, 1e-10, 1e-5, 0.001, 0.025, 0.2, 0.4999, 0.5, 0.6, 0.9, 0.975, 0.999, 1 - 1e-9)) {
  writeLines(sprintf("    {%s, %s},", num(p), num(qnorm(p))), con)
}
writeLines("};", con)
close(con)
