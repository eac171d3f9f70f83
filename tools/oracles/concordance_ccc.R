# Reference values for Lin's concordance correlation coefficient and Liao's
# improved coefficient.
#
# Lin: epiR::epi.ccc on the data, which takes variances with divisor n and
# r = cor(x, y); the library is given the same statistics. Its "asymptotic"
# limits are rc -+ z sd and its "z-transform" limits tanh(atanh rc -+ z sd_t).
# Nickerson: 2 Sxy / ((mean y - mean x)^2 + VarX + VarY - VarXY / n).
# Liao: Ar = (4 sY sX - (sX^2 + sY^2) r) / ((mean y - mean x)^2 +
# (2 - r)(sX^2 + sY^2)), Gr = Ar r, and the delta-method standard error
# sqrt(d' S d / n), with d the gradient of Gr over (a, b, c, e) = (VarY, VarX,
# Sxy, mean x - mean y) taken by R's symbolic deriv() and S the asymptotic
# covariance matrix of the four:
#   2 sY^4          2 r^2 sX^2 sY^2  2 r sX sY^3         0
#   2 r^2 sX^2 sY^2 2 sX^4           2 r sX^3 sY         0
#   2 r sX sY^3     2 r sX^3 sY      (r^2 + 1) sX^2 sY^2 0
#   0               0                0                   sX^2 + sY^2 - 2 r sX sY
# Run from the repository root: Rscript tools/oracles/concordance_ccc.R
source("tools/oracles/common.R")
suppressPackageStartupMessages(library(epiR))

set.seed(20260118)
zq <- qnorm(0.975)

liao <- function(k, r, mx, my, vx, vy) {
  sx <- sqrt(vx); sy <- sqrt(vy)
  ar <- (4 * sy * sx - (sx^2 + sy^2) * r) / ((my - mx)^2 + (2 - r) * (sx^2 + sy^2))
  g <- liao_se(k, r, vx, vy, mx - my)
  se <- unname(g["se"])
  gr <- ar * r
  stopifnot(abs(gr - g["gr"]) < 1e-14)
  t <- atanh(gr); set <- se / (1 - gr^2)
  c(Ar = ar, Gr = gr, SEGr = se, Grz = gr / se, Grzll95 = gr - zq * se, Grzul95 = gr + zq * se,
    tGr = t, SEtGr = set, ztGrll95_2 = tanh(t - zq * set), ztGrul95_2 = tanh(t + zq * set))
}

sets <- list()
add <- function(name, x, y) sets[[length(sets) + 1]] <<- list(name = name, x = x, y = y)
x <- round(rnorm(12, 10, 2), 2)
add("tidy", x, round(x + rnorm(12, 1, 1.5), 2))
x <- sample(1:5, 40, replace = TRUE)
add("ties", x, pmin(5, pmax(1, x + sample(-1:1, 40, replace = TRUE))))
x <- round(rnorm(30, 5, 1), 2)
add("negative", x, round(10 - x + rnorm(30, 0, 0.6), 2))
add("n 3", c(1.5, 2.0, 4.5), c(1.0, 2.5, 4.0))
x <- round(1e6 + rnorm(50, 0, 10), 2)
add("around 1e6", x, round(x + rnorm(50, 2, 4), 2))
x <- round(1e9 + rnorm(50, 0, 3), 1)
add("around 1e9", x, round(x + rnorm(50, 0.5, 1), 1))
x <- rnorm(100000, 50, 8)
add("n 100000", x, 0.9 * x + rnorm(100000, 6, 3))
x <- round(rnorm(25, 3, 1), 3)
add("nearly equal", x, round(x + rnorm(25, 0, 0.05), 3))

con <- file(out_path("concordance_ccc_cases.inc"), "w")
header(con, "concordance_ccc.R")
writeLines(c("struct CccCase {",
             "    const char* name;",
             "    // the inputs: n, r, MeanX, MeanY, VarX, VarY (divisor n), VarXY (divisor n - 1)",
             "    double n, r, MeanX, MeanY, VarX, VarY, VarXY;",
             "    // epi.ccc: s.shift, l.shift, C.b, rho.c, asymptotic and z-transform limits",
             "    double V, u, Cb, rc, zll95, zul95, ztrcll95_2, ztrcul95_2;",
             "    // 2 (1 - pnorm(rc / sd)), atanh rc, Nickerson",
             "    double pz, trc, rc_Nickerson;",
             "    // Liao with the gradient from deriv()",
             "    double Ar, Gr, SEGr, Grz, Grzll95, Grzul95, tGr, SEtGr, ztGrll95_2, ztGrul95_2;",
             "};",
             "const CccCase kCccCases[] = {"), con)
for (s in sets) {
  x <- s$x; y <- s$y; k <- length(x)
  vx <- var(x) * (k - 1) / k; vy <- var(y) * (k - 1) / k
  r <- cor(x, y); mx <- mean(x); my <- mean(y); vxy <- var(x - y)
  a <- epi.ccc(x, y, ci = "asymptotic", conf.level = 0.95)
  b <- epi.ccc(x, y, ci = "z-transform", conf.level = 0.95)
  p <- a$rho.c$est
  sd <- (a$rho.c$upper - p) / zq
  nick <- 2 * r * sqrt(vx * vy) / ((my - mx)^2 + vx + vy - vxy / k)
  vals <- c(k, r, mx, my, vx, vy, vxy, a$s.shift, a$l.shift, a$C.b, p, a$rho.c$lower, a$rho.c$upper,
            b$rho.c$lower, b$rho.c$upper, 2 * pnorm(-abs(p / sd)), atanh(p), nick,
            liao(k, r, mx, my, vx, vy))
  writeLines(sprintf("    {\"%s\", %s},", s$name, paste(num(vals), collapse = ", ")), con)
}
# The worked example given by its statistics alone (no data for epi.ccc):
# only Liao's figures are referenced.
na <- rep(NA, 11)
writeLines(sprintf("    {\"worked example\", %s},",
                   paste(num(c(12, 0.8, 10, 11, 4, 9, 3.4, na, liao(12, 0.8, 10, 11, 4, 9))), collapse = ", ")), con)
writeLines("};", con)
close(con)
