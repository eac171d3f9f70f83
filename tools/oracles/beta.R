# Reference values for the incomplete beta function and the F distribution:
# pbeta and pf. Run from the repository root:  Rscript tools/oracles/beta.R
source("tools/oracles/common.R")

con <- file(out_path("beta_cases.inc"), "w")
header(con, "beta.R")
writeLines("struct BetaCase { double a, b, x, value; };", con)
writeLines("const BetaCase kBetaCases[] = {", con)
for (a in c(0.5, 1, 2.5, 7, 30, 250, 5000)) {
  for (b in c(0.5, 1, 3, 12, 400, 20000)) {
    for (q in c(0.01, 0.3, 0.5, 0.7, 0.99)) {
      x <- qbeta(q, a, b)            # points where the function is not negligible
      x <- signif(x, 6)
      if (x <= 0 || x >= 1) next
      writeLines(sprintf("    {%s, %s, %s, %s},", num(a), num(b), num(x), num(pbeta(x, a, b))), con)
    }
  }
}
# both parameters large: beyond the 100 steps (MAXIT) of Numerical Recipes' betacf
for (x in c(0.497, 0.4995, 0.5, 0.5008)) {
  writeLines(sprintf("    {%s, %s, %s, %s},", num(40000), num(40000), num(x), num(pbeta(x, 40000, 40000))), con)
}
writeLines("};", con)
writeLines("struct FCase { double f, n1, n2, upper; };", con)
writeLines("const FCase kFCases[] = {", con)
for (n1 in c(1, 2, 5, 10, 30)) {
  for (n2 in c(1, 3, 10, 60, 1000)) {
    for (f in c(0.05, 0.5, 1, 2, 4.1, 15)) {
      writeLines(sprintf("    {%s, %s, %s, %s},", num(f), num(n1), num(n2), num(pf(f, n1, n2, lower.tail = FALSE))), con)
    }
  }
}
writeLines("};", con)
close(con)
