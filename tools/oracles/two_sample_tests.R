# Reference values for the two-sample tests: t.test (pooled, Welch and
# paired), var.test, and anova() of the two nested fits y ~ x against
# y ~ 0 + offset(x) for the simultaneous test of intercept 0 and slope 1.
# Run from the repository root:  Rscript tools/oracles/two_sample_tests.R
source("tools/oracles/common.R")
set.seed(20261210)

con <- file(out_path("two_sample_tests_cases.inc"), "w")
header(con, "two_sample_tests.R")
writeLines("struct TwoSampleCase {\n    const char* name;\n    std::vector<double> x, y;\n    double tPooled, pPooled, tWelch, pWelch, tPaired, pPaired, f, pF;\n};", con)
writeLines("const TwoSampleCase kTwoSampleCases[] = {", con)
x1 <- round(rnorm(30, 10, 2), 2); y1 <- round(x1 + rnorm(30, 0.6, 1.5), 2)
x2 <- round(rnorm(12, 5, 1), 3); y2 <- round(rnorm(12, 5.3, 2.5), 3)
x3 <- round(rexp(200, 0.1), 1); y3 <- round(0.8 * x3 + rnorm(200, 2, 3), 1)
x4 <- c(1, 2, 3, 4); y4 <- c(2, 3, 4, 6)
# t and P of the pooled, Welch and paired tests, F (above 1) and its P.
tests <- function(x, y) {
  pooled <- t.test(x, y, var.equal = TRUE)
  welch <- t.test(x, y, var.equal = FALSE)
  paired <- t.test(x, y, paired = TRUE)
  vt <- var.test(x, y)
  f <- max(vt$statistic, 1 / vt$statistic)
  unname(c(pooled$statistic, pooled$p.value, welch$statistic, welch$p.value,
           paired$statistic, paired$p.value, f, vt$p.value))
}
for (s in list(list("close pairs", x1, y1), list("unequal spread", x2, y2),
               list("skewed n 200", x3, y3), list("four", x4, y4))) {
  x <- s[[2]]; y <- s[[3]]
  writeLines(sprintf("    {\"%s\", %s, %s, %s},", s[[1]], vec(x), vec(y), paste(num(tests(x, y)), collapse = ", ")), con)
}
writeLines("};", con)

# Simultaneous F test: the Mayer et al. statistic is anova's F of the
# nested fits; Dent and Blackie scale it by (n - 2)/n.
writeLines("struct SimulFCase {\n    std::vector<double> x, y;\n    double a, b, meanX, meanY, fMayer, pMayer, fDent, pDent;\n};", con)
writeLines("const SimulFCase kSimulFCases[] = {", con)
for (k in 1:3) {
  n <- c(8, 25, 120)[k]
  x <- round(runif(n, 1, 30), 2); y <- round(c(0.5, -1, 2)[k] + c(1.05, 0.9, 1)[k] * x + rnorm(n, 0, 2), 2)
  fit <- lm(y ~ x)
  av <- anova(lm(y ~ 0 + offset(x)), fit)
  fm <- av$F[2]
  fd <- fm * (n - 2) / n
  vals <- c(coef(fit)[1], coef(fit)[2], mean(x), mean(y), fm, av$`Pr(>F)`[2], fd,
            pf(fd, 2, n - 2, lower.tail = FALSE))
  writeLines(sprintf("    {%s, %s, %s},", vec(x), vec(y), paste(num(unname(vals)), collapse = ", ")), con)
}
# Data far from zero: the quadratic form of (a, b - 1) cancels there when
# it is expanded into its sums. lm() of y on x near 1e9 drops the slope as
# collinear with the intercept, so the fits are made on the data less the
# offset (exact for these values), which leaves the null hypothesis y = x
# and F unchanged; a is then c + off (1 - b).
for (k in 1:2) {
  n <- c(20, 60)[k]
  off <- c(1e6, 1e9)[k]
  x <- off + round(runif(n, 0, 30), 2); y <- round(x + c(0.3, -0.2)[k] + rnorm(n, 0, 0.5), 2)
  xs <- x - off; ys <- y - off
  fit <- lm(ys ~ xs)
  av <- anova(lm(ys ~ 0 + offset(xs)), fit)
  fm <- av$F[2]
  fd <- fm * (n - 2) / n
  b <- unname(coef(fit)[2])
  a <- unname(coef(fit)[1]) + off * (1 - b)
  vals <- c(a, b, mean(x), mean(y), fm, av$`Pr(>F)`[2], fd,
            pf(fd, 2, n - 2, lower.tail = FALSE))
  writeLines(sprintf("    {%s, %s, %s},", vec(x), vec(y), paste(num(unname(vals)), collapse = ", ")), con)
}
writeLines("};", con)

# Samples far from zero, near 1e6 and 1e9, that spread by a tenth: the
# difference of the two means cancels there, and for close pairs so does
# s1^2 + s2^2 - 2 cov. t.test would suffer the first near 1e9 itself, so it
# runs on the data less the offset (exact for these values), which leaves
# every statistic as it is.
writeLines("const TwoSampleCase kFarTwoSampleCases[] = {", con)
for (k in 1:2) {
  off <- c(1e6, 1e9)[k]
  v <- round(rnorm(1000, 5, 0.1), 3); w <- round(v + rnorm(1000, 0.01, 0.02), 3)
  x <- as.numeric(sprintf("%.3f", off + v)); y <- as.numeric(sprintf("%.3f", off + w))
  writeLines(sprintf("    {\"near %g\", %s, %s, %s},", off, vec(x), vec(y),
                     paste(num(tests(x - off, y - off)), collapse = ", ")), con)
}
writeLines("};", con)
close(con)
